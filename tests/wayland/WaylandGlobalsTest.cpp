#include "platform/wayland/WaylandGlobals.h"

#include <QTest>

using namespace Qt::StringLiterals;

// What the test compositor (a headless sway) offers a clipboard manager,
// read over a connection of our own.
class WaylandGlobalsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void readsTheCompositorsProtocols();
    void noCompositorIsNoAnswer();
};

void WaylandGlobalsTest::initTestCase() {
    const QByteArray display = qgetenv("VELLOQ_TEST_WAYLAND_DISPLAY");
    QVERIFY2(!display.isEmpty(), "needs the compositor scripts/test starts");
    qputenv("WAYLAND_DISPLAY", display);
}

void WaylandGlobalsTest::readsTheCompositorsProtocols() {
    const std::optional<WaylandGlobals> globals = WaylandGlobals::readFromEnvironment();
    QVERIFY(globals);
    QVERIFY(globals->offers(u"wl_seat"_s));
    QVERIFY(globals->version(u"zwlr_data_control_manager_v1"_s) >= 2);
    QVERIFY(globals->offers(u"zwp_virtual_keyboard_manager_v1"_s));
    QVERIFY(globals->offers(u"zwlr_foreign_toplevel_manager_v1"_s));
    QVERIFY(!globals->offers(u"no_such_protocol_v1"_s));
}

void WaylandGlobalsTest::noCompositorIsNoAnswer() {
    const QByteArray saved = qgetenv("WAYLAND_DISPLAY");
    qputenv("WAYLAND_DISPLAY", "/nonexistent/wayland-0");
    QVERIFY(!WaylandGlobals::readFromEnvironment());
    qputenv("WAYLAND_DISPLAY", saved);
    QVERIFY(!WaylandGlobals::read(nullptr));
}

QTEST_GUILESS_MAIN(WaylandGlobalsTest)
#include "WaylandGlobalsTest.moc"
