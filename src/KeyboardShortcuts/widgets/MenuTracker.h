#pragma once

#include <QObject>
#include <QSet>

#include <functional>
#include <optional>

class QKeyEvent;
class QWidget;

namespace KeyboardShortcuts {

// Tells the hot key center when one of the application's menus is open, or
// another window of the application holds the keyboard, and hands it the
// application's key events meanwhile: system grabs cannot fire while the
// application itself holds the keyboard.
class MenuTracker : public QObject {
    Q_OBJECT

public:
    // `virtualKeyCode` finds the virtual key code of a key event's physical
    // key (the X key code on X11); none for keys it does not know.
    explicit MenuTracker(std::function<std::optional<qint64>(const QKeyEvent&)> virtualKeyCode,
                         QObject* parent = nullptr);
    ~MenuTracker() override;

    bool isMenuOpen() const { return !m_open.isEmpty(); }
    // A window that grabs the keyboard itself (the overlay) says when it
    // takes it and when it lets go.
    void setHoldsKeyboard(QObject* window, bool holds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setOpen(QObject* window, bool open);
    bool keyEvent(const QKeyEvent& event);
    void update();

    std::function<std::optional<qint64>(const QKeyEvent&)> m_virtualKeyCode;
    QSet<QObject*> m_open;
    QSet<QObject*> m_watched;
};

} // namespace KeyboardShortcuts
