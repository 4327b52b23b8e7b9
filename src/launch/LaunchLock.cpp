#include "LaunchLock.h"

#include "HistoryFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>

#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Names the lock file for the application; never inherited further.
constexpr char handedOverVariable[] = "VELLOQ_LAUNCH_LOCK";

bool makePrivateFolder(const QString& folder) {
    if (QFileInfo(folder).isDir())
        return true;
    const QFileInfo info(folder);
    return QDir().mkpath(info.absolutePath()) &&
           (::mkdir(QFile::encodeName(folder).constData(), 0700) == 0 || QFileInfo(folder).isDir());
}

// The lock taken for the application; exec leaves it in place, unreleased.
std::unique_ptr<QLockFile>& lockForApplication() {
    static std::unique_ptr<QLockFile> lock;
    return lock;
}

bool isOwnLock(const QString& path) {
    QLockFile probe(path);
    qint64 holder = 0;
    return probe.getLockInfo(&holder, nullptr, nullptr) && holder == ::getpid();
}

} // namespace

bool LaunchLock::takeForApplication(const QString& folder) {
    if (!makePrivateFolder(folder))
        return false;
    const QString path = HistoryFolder::lockPath(folder);
    auto lock = std::make_unique<QLockFile>(path);
    lock->setStaleLockTime(0);
    if (!lock->tryLock(0))
        return false;
    lockForApplication() = std::move(lock);
    qputenv(handedOverVariable, QFile::encodeName(path));
    return true;
}

void LaunchLock::release() {
    qunsetenv(handedOverVariable);
    lockForApplication().reset();
}

bool LaunchLock::takeOver(const QString& lockPath) {
    const QString path = QFile::decodeName(qgetenv(handedOverVariable));
    qunsetenv(handedOverVariable);
    return !path.isEmpty() && QFileInfo(path) == QFileInfo(lockPath) && isOwnLock(path);
}

void LaunchLock::removeHandedOver(const QString& lockPath) {
    if (isOwnLock(lockPath))
        QFile::remove(lockPath);
}
