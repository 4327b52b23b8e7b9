#include "WindowKeys.h"

#include <QKeyEvent>
#include <QWidget>

namespace {

// +1 or -1 for the keys that move between tabs, 0 for any other.
int tabStep(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    if (modifiers == Qt::ControlModifier &&
        (key.key() == Qt::Key_Tab || key.key() == Qt::Key_PageDown))
        return 1;
    if (modifiers == Qt::ControlModifier && key.key() == Qt::Key_PageUp)
        return -1;
    // Shift turns Tab into Backtab.
    if (modifiers == (Qt::ControlModifier | Qt::ShiftModifier) &&
        (key.key() == Qt::Key_Backtab || key.key() == Qt::Key_Tab))
        return -1;
    return 0;
}

bool closes(const QKeyEvent& key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers() & ~Qt::KeypadModifier;
    return (key.key() == Qt::Key_Escape && modifiers == Qt::NoModifier) ||
           key.matches(QKeySequence::Close);
}

} // namespace

WindowKeys::WindowKeys(QWidget& window) : QObject(&window) {
    window.installEventFilter(this);
}

WindowKeys& WindowKeys::of(QWidget& window) {
    if (auto* keys = window.findChild<WindowKeys*>(QString(), Qt::FindDirectChildrenOnly))
        return *keys;
    return *new WindowKeys(window);
}

void WindowKeys::closeOnEscape(QWidget& window, std::function<void()> close) {
    WindowKeys& keys = of(window);
    keys.m_close = close ? std::move(close) : [&window] { window.close(); };
}

void WindowKeys::switchTabs(QWidget& window, std::function<void(int)> move) {
    of(window).m_move = std::move(move);
}

bool WindowKeys::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || watched != parent())
        return false;
    const auto& key = static_cast<const QKeyEvent&>(*event);
    if (m_close && closes(key)) {
        m_close();
        return true;
    }
    if (const int step = tabStep(key); m_move && step != 0) {
        m_move(step);
        return true;
    }
    return false;
}
