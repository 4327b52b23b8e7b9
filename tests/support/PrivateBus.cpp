#include "PrivateBus.h"

#include <QDeadlineTimer>
#include <QFile>

using namespace Qt::StringLiterals;

PrivateBus::~PrivateBus() {
    m_daemon.kill();
    m_daemon.waitForFinished();
}

bool PrivateBus::start() {
    QFile config(m_folder.filePath(u"bus.conf"_s));
    if (!config.open(QIODevice::WriteOnly)) {
        m_error = u"cannot write the bus configuration in "_s + m_folder.path();
        return false;
    }
    config.write(
        "<busconfig><type>session</type><listen>unix:tmpdir=" + QFile::encodeName(m_folder.path()) +
        "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
        "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
        "<allow own=\"*\"/></policy></busconfig>\n");
    config.close();
    m_daemon.start(u"dbus-daemon"_s,
                   {u"--config-file="_s + config.fileName(), u"--print-address"_s, u"--nofork"_s});
    if (!m_daemon.waitForStarted()) {
        m_error = u"dbus-daemon is needed (package dbus-daemon)"_s;
        return false;
    }
    const QDeadlineTimer deadline(10'000);
    while (!m_daemon.canReadLine() && !deadline.hasExpired())
        m_daemon.waitForReadyRead(100);
    m_address = QString::fromUtf8(m_daemon.readLine().trimmed());
    if (m_address.isEmpty())
        m_error = u"dbus-daemon printed no address"_s;
    return !m_address.isEmpty();
}
