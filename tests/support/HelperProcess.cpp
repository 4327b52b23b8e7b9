#include "HelperProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <csignal>

HelperProcess::~HelperProcess() {
    stop();
}

bool HelperProcess::start(const QString& program, const QStringList& arguments) {
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start(program, arguments);
    if (!m_process.waitForStarted(10000))
        return false;
    const QDeadlineTimer deadline(10000);
    while (!m_process.canReadLine()) {
        if (deadline.hasExpired() || m_process.state() != QProcess::Running)
            return false;
        m_process.waitForReadyRead(100);
    }
    m_firstLine = m_process.readLine().trimmed();
    return true;
}

void HelperProcess::stop() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    // A helper stopped on purpose must be woken to receive the termination.
    ::kill(pid_t(m_process.processId()), SIGCONT);
    m_process.terminate();
    if (!m_process.waitForFinished(3000)) {
        m_process.kill();
        m_process.waitForFinished(3000);
    }
}

QString helperPath(const char* name) {
    // The helpers are built beside the test executables.
    return QCoreApplication::applicationDirPath() + u'/' + QString::fromLatin1(name);
}
