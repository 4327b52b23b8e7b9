#include "platform/x11/X11SystemTray.h"

#include "platform/x11/XcbConnection.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QTest>
#include <qguiapplication_platform.h>

namespace {

// Counts the MANAGER messages Qt received, whatever they announce.
class ManagerMessages : public QAbstractNativeEventFilter {
public:
    explicit ManagerMessages(xcb_atom_t manager) : m_manager(manager) {}
    int count = 0;
    bool nativeEventFilter(const QByteArray&, void* message, qintptr*) override {
        const auto* event = static_cast<const xcb_client_message_event_t*>(message);
        if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE && event->type == m_manager)
            ++count;
        return false;
    }

private:
    xcb_atom_t m_manager;
};

} // namespace

// The XEmbed tray as a panel that starts after Velloq runs it: taking the
// screen's tray selection, then saying so to the root window.
class X11SystemTrayTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void aTrayTakingTheSelectionIsReported();

private:
    void announce(XcbConnection& panel, xcb_window_t owner, const QByteArray& selection);
};

void X11SystemTrayTest::announce(XcbConnection& panel, xcb_window_t owner,
                                 const QByteArray& selection) {
    xcb_set_selection_owner(panel.get(), owner, panel.atom(selection), XCB_CURRENT_TIME);
    xcb_client_message_event_t message{};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.window = panel.root();
    message.type = panel.atom("MANAGER");
    message.data.data32[0] = XCB_CURRENT_TIME;
    message.data.data32[1] = panel.atom(selection);
    message.data.data32[2] = owner;
    xcb_send_event(panel.get(), 0, panel.root(), XCB_EVENT_MASK_STRUCTURE_NOTIFY,
                   reinterpret_cast<const char*>(&message));
    xcb_flush(panel.get());
}

void X11SystemTrayTest::aTrayTakingTheSelectionIsReported() {
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    QVERIFY2(x11, "needs the X server that scripts/test starts (DISPLAY is not set)");
    X11SystemTray tray(x11->connection(), 0);
    int started = 0;
    tray.observe([&started] { ++started; });
    QVERIFY(!tray.isRunning());

    XcbConnection panel;
    QVERIFY(panel.isValid());
    ManagerMessages messages(panel.atom("MANAGER"));
    qApp->installNativeEventFilter(&messages);
    const xcb_window_t owner = panel.createHiddenWindow(0);
    // A compositing manager announces itself the same way: not a tray.
    announce(panel, owner, "_NET_WM_CM_S0");
    announce(panel, owner, "_NET_SYSTEM_TRAY_S0");
    QTRY_COMPARE_WITH_TIMEOUT(messages.count, 2, 5000);
    qApp->removeNativeEventFilter(&messages);
    QCOMPARE(started, 1);
    QVERIFY(tray.isRunning());
    xcb_destroy_window(panel.get(), owner);
    xcb_flush(panel.get());
}

QTEST_MAIN(X11SystemTrayTest)
#include "X11SystemTrayTest.moc"
