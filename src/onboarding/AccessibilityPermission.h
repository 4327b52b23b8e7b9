#pragma once

#include <QObject>
#include <QTimer>

#include <functional>

// Whether Velloq may paste into other applications, looked at again every
// second while someone watches (the first-run wizard), since the user
// grants it elsewhere.
class AccessibilityPermission : public QObject {
    Q_OBJECT

public:
    static constexpr int pollMilliseconds = 1000;

    // `isTrusted` asks the desktop; it is asked once now.
    explicit AccessibilityPermission(std::function<bool()> isTrusted, QObject* parent = nullptr);

    bool granted() const { return m_granted; }
    bool isPolling() const { return m_poll.isActive(); }

    // Asks again now.
    void refresh();
    void startPolling();
    void stopPolling();

Q_SIGNALS:
    // Only on a change.
    void grantedChanged(bool granted);

private:
    std::function<bool()> m_isTrusted;
    bool m_granted = false;
    QTimer m_poll;
};
