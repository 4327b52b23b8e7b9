#pragma once

#include <QDeadlineTimer>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>

class WaylandActiveWindow;
class WaylandKeyboard;

// Sends Control-V to the application that had the keyboard focus before
// Velloq's overlay: the compositor gives the focus back when the overlay
// closes, so this waits (without blocking the event loop) until another
// application than Velloq is activated, then types through a keyboard of
// Velloq's own.
class WaylandPasteTarget : public QObject {
    Q_OBJECT

public:
    static constexpr int focusDeadlineMs = 500;
    static constexpr int focusPollMs = 20;
    // Without the compositor's word on which toplevel is activated, the time
    // a compositor takes to move the focus from the closed overlay back to
    // the previous window, with room to spare.
    static constexpr int settleMs = 150;
    // KWin tells of a window's activation a moment before the window has
    // the keyboard; keys sent in between reach nobody.
    static constexpr int focusSettleMs = 40;

    using KeyboardFactory = std::function<std::unique_ptr<WaylandKeyboard>()>;

    // `activeWindow` may be null where the compositor does not tell; the own
    // app id is the one whose activation does not count as the focus back.
    WaylandPasteTarget(WaylandActiveWindow* activeWindow, KeyboardFactory makeKeyboard,
                       const QString& ownAppId = QStringLiteral(VELLOQ_APP_ID),
                       QObject* parent = nullptr);
    explicit WaylandPasteTarget(WaylandActiveWindow* activeWindow, QObject* parent = nullptr);
    ~WaylandPasteTarget() override;

    // Whether keys can be sent at all (a virtual keyboard could be made).
    bool hasAccess();
    void sendCommandV();

Q_SIGNALS:
    // The paste gave up: no keyboard, the focus did not come back to another
    // application in time, or the connection to the compositor was lost.
    void commandVAbandoned();

private:
    WaylandKeyboard* keyboard();
    void waitForFocus(QDeadlineTimer deadline);
    bool focusIsBack() const;
    void typeControlV();

    QPointer<WaylandActiveWindow> m_activeWindow;
    KeyboardFactory m_makeKeyboard;
    QString m_ownAppId;
    std::unique_ptr<WaylandKeyboard> m_keyboard;
};
