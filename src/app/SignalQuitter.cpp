#include "SignalQuitter.h"

#include <QCoreApplication>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

int SignalQuitter::s_pipe[2] = {-1, -1};

SignalQuitter::SignalQuitter(QObject* parent) : QObject(parent) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, s_pipe) != 0)
        return;
    ::fcntl(s_pipe[0], F_SETFL, O_NONBLOCK);
    ::fcntl(s_pipe[1], F_SETFL, O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(s_pipe[1], QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, [] {
        char byte = 0;
        while (::read(s_pipe[1], &byte, 1) > 0) {
        }
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = &SignalQuitter::handleSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

SignalQuitter::~SignalQuitter() {
    ::signal(SIGINT, SIG_DFL);
    ::signal(SIGTERM, SIG_DFL);
}

void SignalQuitter::handleSignal(int) {
    const char byte = 1;
    [[maybe_unused]] const auto written = ::write(s_pipe[0], &byte, 1);
}
