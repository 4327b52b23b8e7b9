#include "GnomeShellHotKeys.h"

#include "GnomeShellBridge.h"
#include "platform/xdg/ShortcutTrigger.h"

#include <QStringList>

using KeyboardShortcuts::EventType;

GnomeShellHotKeys::GnomeShellHotKeys(GnomeShellBridge& bridge, QObject* parent)
    : QObject(parent), m_bridge(bridge) {
    connect(&m_bridge, &GnomeShellBridge::shortcutActivated, this, [this](quint32 action) {
        for (auto it = m_grabs.cbegin(); it != m_grabs.cend(); ++it) {
            if (it->action != action || !onHotKeyEvent)
                continue;
            onHotKeyEvent(it.key(), EventType::keyDown);
            onHotKeyEvent(it.key(), EventType::keyUp);
            return;
        }
    });
    connect(&m_bridge, &GnomeShellBridge::restarted, this, &GnomeShellHotKeys::grabAgain);
}

GnomeShellHotKeys::~GnomeShellHotKeys() {
    for (const Grab& grab : std::as_const(m_grabs))
        m_bridge.releaseShortcut(grab.action);
}

std::optional<QString> GnomeShellHotKeys::accelerator(quint32 carbonKeyCode,
                                                      quint32 carbonModifiers) {
    const std::optional<QString> trigger = shortcutTrigger(carbonKeyCode, carbonModifiers);
    if (!trigger)
        return std::nullopt;
    static const QMap<QString, QString> modifiers{
        {QStringLiteral("CTRL"), QStringLiteral("<Control>")},
        {QStringLiteral("ALT"), QStringLiteral("<Alt>")},
        {QStringLiteral("SHIFT"), QStringLiteral("<Shift>")},
        {QStringLiteral("LOGO"), QStringLiteral("<Super>")}};
    QStringList parts = trigger->split(u'+');
    const QString key = parts.takeLast();
    QString accelerator;
    for (const QString& part : std::as_const(parts))
        accelerator += modifiers.value(part);
    return accelerator + key;
}

bool GnomeShellHotKeys::registerHotKey(quint32 id, quint32 carbonKeyCode, quint32 carbonModifiers) {
    const std::optional<QString> wanted = accelerator(carbonKeyCode, carbonModifiers);
    if (!wanted || m_grabs.contains(id))
        return false;
    for (const Grab& grab : std::as_const(m_grabs)) {
        if (grab.accelerator == *wanted)
            return false;
    }
    const quint32 action = m_bridge.grabShortcut(*wanted);
    if (action == 0)
        return false;
    m_grabs.insert(id, {action, *wanted});
    return true;
}

void GnomeShellHotKeys::unregisterHotKey(quint32 id) {
    const auto grab = m_grabs.constFind(id);
    if (grab == m_grabs.cend())
        return;
    m_bridge.releaseShortcut(grab->action);
    m_grabs.erase(grab);
}

// The Shell forgot every grab when the extension restarted; one that cannot
// be had again is lost.
void GnomeShellHotKeys::grabAgain() {
    for (auto it = m_grabs.begin(); it != m_grabs.end();) {
        it->action = m_bridge.grabShortcut(it->accelerator);
        if (it->action != 0) {
            ++it;
            continue;
        }
        const quint32 id = it.key();
        it = m_grabs.erase(it);
        if (onRegistrationLost)
            onRegistrationLost(id);
    }
}
