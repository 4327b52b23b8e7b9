#include "UpdateManager.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

// Standard output of the helper beyond this is not a feed.
constexpr qint64 largestOutput = 256 * 1024;

} // namespace

UpdateManager::UpdateManager(QString currentVersion, QString helper, QObject* parent)
    : QObject(parent), m_currentVersion(std::move(currentVersion)), m_helper(std::move(helper)) {}

UpdateManager::~UpdateManager() {
    stopHelper();
}

void UpdateManager::stopHelper() {
    if (!m_process)
        return;
    m_process->disconnect(this);
    m_process->kill();
    m_process->waitForFinished(1000);
    m_process.reset();
}

void UpdateManager::cancel() {
    if (!m_process)
        return;
    stopHelper();
    Q_EMIT canCheckChanged(true);
}

QString UpdateManager::installedProgram(const char* name) {
    const QString beside = QCoreApplication::applicationDirPath() + u'/' + QLatin1StringView(name);
    if (QFileInfo(beside).isExecutable())
        return beside;
    return QDir::cleanPath(QCoreApplication::applicationDirPath() +
                           u"/" VELLOQ_LIBEXEC_FROM_BIN "/"_s + QLatin1StringView(name));
}

void UpdateManager::checkForUpdates() {
    if (!canCheck())
        return;
    const QUrl address = UpdateFeed::address();
    if (!UpdateFeed::isAllowedAddress(address)) {
        finish({Result::Kind::failed, {}, tr("The update address is not a secure web address.")});
        return;
    }
    m_process = std::make_unique<QProcess>();
    m_process->setProgram(m_helper);
    m_process->setArguments({address.toString(), QString::number(deadlineMilliseconds)});
    connect(
        m_process.get(), &QProcess::finished, this,
        [this](int exitCode, QProcess::ExitStatus status) { finish(resultOf(exitCode, status)); });
    connect(m_process.get(), &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            finish({Result::Kind::failed, {}, tr("The update check could not be started.")});
    });
    Q_EMIT canCheckChanged(false);
    m_process->start();
}

UpdateManager::Result UpdateManager::resultOf(int exitCode, QProcess::ExitStatus status) {
    if (status != QProcess::NormalExit || exitCode != 0) {
        const QString why = QString::fromUtf8(m_process->readAllStandardError()).trimmed();
        return {Result::Kind::failed, {}, why.isEmpty() ? tr("The update check failed.") : why};
    }
    QString problem;
    const std::optional<UpdateFeed::Release> release =
        UpdateFeed::parse(m_process->readAllStandardOutput().left(largestOutput), &problem);
    if (!release)
        return {Result::Kind::failed, {}, problem};
    const bool newer = UpdateFeed::compareVersions(release->version, m_currentVersion) > 0;
    return {newer ? Result::Kind::available : Result::Kind::upToDate, *release, {}};
}

void UpdateManager::finish(Result result) {
    // The process object goes once its signal has been handled.
    if (m_process)
        m_process.release()->deleteLater();
    Q_EMIT canCheckChanged(true);
    Q_EMIT checkFinished(result);
}
