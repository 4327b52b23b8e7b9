#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

// Ends the event loop on SIGINT and SIGTERM, from the event loop itself (a
// signal handler may only write to a pipe), so shutdown runs the same
// orderly path as quitting from the menu.
class SignalQuitter : public QObject {
    Q_OBJECT

public:
    explicit SignalQuitter(QObject* parent = nullptr);
    ~SignalQuitter() override;

private:
    static void handleSignal(int signal);
    static int s_pipe[2];
    std::unique_ptr<QSocketNotifier> m_notifier;
};
