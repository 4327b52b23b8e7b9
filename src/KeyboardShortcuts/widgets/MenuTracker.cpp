#include "MenuTracker.h"

#include "KeyboardShortcuts/HotKeyCenter.h"
#include "KeyboardShortcuts/Shortcut.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QWindow>

namespace KeyboardShortcuts {

namespace {

bool isMenuWindow(const QObject* object) {
    const auto* menu = qobject_cast<const QMenu*>(object);
    return menu && menu->isWindow();
}

} // namespace

MenuTracker::MenuTracker(std::function<std::optional<qint64>(const QKeyEvent&)> virtualKeyCode,
                         QObject* parent)
    : QObject(parent), m_virtualKeyCode(std::move(virtualKeyCode)) {
    qApp->installEventFilter(this);
}

MenuTracker::~MenuTracker() {
    qApp->removeEventFilter(this);
    if (HotKeyCenter* center = HotKeyCenter::existing(); center && !m_open.isEmpty())
        center->setMenuOpen(false);
}

bool MenuTracker::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Hide:
        if (isMenuWindow(watched))
            setOpen(watched, event->type() == QEvent::Show);
        break;
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        // A key event reaches the window first and then widget after
        // widget; the window sees each one exactly once.
        if (qobject_cast<QWindow*>(watched))
            return keyEvent(static_cast<const QKeyEvent&>(*event));
        break;
    default:
        break;
    }
    return false;
}

void MenuTracker::setHoldsKeyboard(QObject* window, bool holds) {
    setOpen(window, holds);
}

void MenuTracker::setOpen(QObject* window, bool open) {
    if (open == m_open.contains(window))
        return;
    if (open) {
        m_open.insert(window);
        // A window destroyed while open must not keep the center in menu mode.
        if (!m_watched.contains(window)) {
            m_watched.insert(window);
            connect(window, &QObject::destroyed, this, [this, window] {
                m_watched.remove(window);
                setOpen(window, false);
            });
        }
    } else {
        m_open.remove(window);
    }
    update();
}

void MenuTracker::update() {
    if (HotKeyCenter* center = HotKeyCenter::existing())
        center->setMenuOpen(!m_open.isEmpty());
}

bool MenuTracker::keyEvent(const QKeyEvent& event) {
    HotKeyCenter* center = HotKeyCenter::existing();
    if (!center || !center->isRawKeyHandlingEnabled() || !m_virtualKeyCode)
        return false;
    const auto keyCode = m_virtualKeyCode(event);
    if (!keyCode)
        return false;
    const EventType type = event.type() == QEvent::KeyPress ? EventType::keyDown : EventType::keyUp;
    return center->handleRawKey(*keyCode, carbonModifiersFromQt(event.modifiers()),
                                event.isAutoRepeat(), type);
}

} // namespace KeyboardShortcuts
