#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

// A helper program of the tests, started and stopped with the test. It is
// ready once it prints its first line (the window id, or "ready").
class HelperProcess {
public:
    HelperProcess() = default;
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Starts the program and waits (up to 10 s) for its first line.
    bool start(const QString& program, const QStringList& arguments);
    QByteArray firstLine() const { return m_firstLine; }
    qint64 pid() const { return m_process.processId(); }
    QProcess& process() { return m_process; }
    void stop();

private:
    QProcess m_process;
    QByteArray m_firstLine;
};

QString helperPath(const char* name);
