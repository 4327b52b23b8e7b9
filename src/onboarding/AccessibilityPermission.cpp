#include "AccessibilityPermission.h"

AccessibilityPermission::AccessibilityPermission(std::function<bool()> isTrusted, QObject* parent)
    : QObject(parent), m_isTrusted(std::move(isTrusted)), m_granted(m_isTrusted && m_isTrusted()) {
    m_poll.setInterval(pollMilliseconds);
    m_poll.setTimerType(Qt::CoarseTimer);
    connect(&m_poll, &QTimer::timeout, this, &AccessibilityPermission::refresh);
}

void AccessibilityPermission::refresh() {
    const bool granted = m_isTrusted && m_isTrusted();
    if (granted == m_granted)
        return;
    m_granted = granted;
    Q_EMIT grantedChanged(granted);
}

void AccessibilityPermission::startPolling() {
    if (!m_poll.isActive())
        m_poll.start();
}

void AccessibilityPermission::stopPolling() {
    m_poll.stop();
}
