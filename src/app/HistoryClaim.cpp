#include "HistoryClaim.h"

#include "cli/HistoryCommandLine.h"
#include "history/PrivateFiles.h"
#include "launch/HistoryFolder.h"
#include "launch/InstanceClient.h"
#include "launch/LaunchLock.h"

#include <QDir>
#include <QTextStream>

namespace {

// How long a launch waits for the history lock held by someone else.
constexpr int lockWaitMs = 5000;

} // namespace

HistoryClaim::HistoryClaim(const QStringList& arguments)
    : m_directory(HistoryFolder::of(arguments)) {
    createPrivateFolder(m_directory);
    if (LaunchLock::takeOver(HistoryFolder::lockPath(m_directory))) {
        m_handedOver = true;
        return;
    }
    auto lock = std::make_unique<QLockFile>(HistoryFolder::lockPath(m_directory));
    lock->setStaleLockTime(0);
    // Nobody answered on the socket, so a holder is a history command saving
    // offline (for a moment) or a Velloq still starting.
    if (lock->tryLock(0) || lock->tryLock(lockWaitMs)) {
        m_lock = std::move(lock);
        return;
    }
    const std::optional<qint64> holder = HistoryCommandLine::lockHolder(*lock);
    if (!holder) {
        QTextStream(stderr) << "velloq: cannot use the history folder " << m_directory
                            << ": its lock file cannot be made (is the folder writable?)\n";
        m_exitCode = 1;
        return;
    }
    if (!InstanceClient::send({arguments, {}, QDir::currentPath()}, lockWaitMs)) {
        QTextStream(stderr) << "velloq: the history in " << m_directory << " is in use by process "
                            << *holder << "; start Velloq again once it has finished\n";
        m_exitCode = 1;
        return;
    }
    QTextStream(stderr) << "velloq: Velloq is already running\n";
}

HistoryClaim::~HistoryClaim() {
    if (m_handedOver)
        LaunchLock::removeHandedOver(HistoryFolder::lockPath(m_directory));
}
