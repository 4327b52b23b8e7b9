#include "platform/x11/X11KeyboardLayout.h"

#include "KeyboardShortcuts/Key.h"

#include <QProcess>
#include <QTest>

#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

using namespace Qt::StringLiterals;
namespace Keys = KeyboardShortcuts::Keys;

namespace {

bool setxkbmap(const QStringList& arguments) {
    return QProcess::execute(u"setxkbmap"_s, arguments) == 0;
}

} // namespace

class X11KeyboardLayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanup();

    void charactersOfTheUsLayout_data();
    void charactersOfTheUsLayout();
    void followsALayoutChange();
    void followsTheActiveGroup();
    void keysWithoutAPcEquivalentGiveNone();

private:
    bool lockGroup(uint8_t group);

    XcbConnection m_connection;
};

void X11KeyboardLayoutTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !m_connection.isValid())
        QFAIL("needs the X server that scripts/test starts (DISPLAY is not set)");
    XcbReply<xcb_xkb_use_extension_reply_t> use(xcb_xkb_use_extension_reply(
        m_connection.get(), xcb_xkb_use_extension(m_connection.get(), 1, 0), nullptr));
    QVERIFY(use && use->supported);
}

void X11KeyboardLayoutTest::cleanup() {
    lockGroup(0);
    setxkbmap({u"us"_s});
}

bool X11KeyboardLayoutTest::lockGroup(uint8_t group) {
    xcb_connection_t* c = m_connection.get();
    const auto cookie =
        xcb_xkb_latch_lock_state_checked(c, XCB_XKB_ID_USE_CORE_KBD, 0, 0, 1, group, 0, 0, 0);
    return XcbReply<xcb_generic_error_t>(xcb_request_check(c, cookie)) == nullptr;
}

void X11KeyboardLayoutTest::charactersOfTheUsLayout_data() {
    QTest::addColumn<qint64>("key");
    QTest::addColumn<std::optional<QString>>("character");
    QTest::newRow("V") << Keys::v.rawValue << std::optional(u"v"_s);
    QTest::newRow("Y") << Keys::y.rawValue << std::optional(u"y"_s);
    QTest::newRow("comma") << Keys::comma.rawValue << std::optional(u","_s);
    QTest::newRow("digit 1") << Keys::one.rawValue << std::optional(u"1"_s);
    // The caller decides how to show Space; the layout reports what it types.
    QTest::newRow("Space") << Keys::space.rawValue << std::optional(u" "_s);
    QTest::newRow("Return") << Keys::returnKey.rawValue << std::optional<QString>();
    QTest::newRow("Tab") << Keys::tab.rawValue << std::optional<QString>();
    QTest::newRow("Escape") << Keys::escape.rawValue << std::optional<QString>();
    QTest::newRow("Delete") << Keys::deleteKey.rawValue << std::optional<QString>();
    QTest::newRow("forward Delete") << Keys::deleteForward.rawValue << std::optional<QString>();
    QTest::newRow("Left Arrow") << Keys::leftArrow.rawValue << std::optional<QString>();
    QTest::newRow("F1") << Keys::f1.rawValue << std::optional<QString>();
}

void X11KeyboardLayoutTest::charactersOfTheUsLayout() {
    QFETCH(qint64, key);
    QFETCH(std::optional<QString>, character);
    X11KeyboardLayout layout;
    QVERIFY(layout.isValid());
    QCOMPARE(layout.character(key), character);
}

void X11KeyboardLayoutTest::followsALayoutChange() {
    X11KeyboardLayout layout;
    QCOMPARE(layout.character(Keys::y.rawValue), u"y"_s);
    QVERIFY(setxkbmap({u"de"_s}));
    QTRY_COMPARE(layout.character(Keys::y.rawValue), u"z"_s);
    QCOMPARE(layout.character(Keys::z.rawValue), u"y"_s);
    QCOMPARE(layout.character(Keys::v.rawValue), u"v"_s);
    QVERIFY(setxkbmap({u"us"_s}));
    QTRY_COMPARE(layout.character(Keys::y.rawValue), u"y"_s);
}

void X11KeyboardLayoutTest::followsTheActiveGroup() {
    QVERIFY(setxkbmap({u"-layout"_s, u"us,de"_s}));
    X11KeyboardLayout layout;
    QCOMPARE(layout.character(Keys::y.rawValue), u"y"_s);
    QVERIFY(lockGroup(1));
    QTRY_COMPARE(layout.character(Keys::y.rawValue), u"z"_s);
    QVERIFY(lockGroup(0));
    QTRY_COMPARE(layout.character(Keys::y.rawValue), u"y"_s);
}

void X11KeyboardLayoutTest::keysWithoutAPcEquivalentGiveNone() {
    X11KeyboardLayout layout;
    QCOMPARE(layout.character(Keys::function.rawValue), std::nullopt);
    QCOMPARE(layout.character(0xFFFF), std::nullopt);
}

QTEST_GUILESS_MAIN(X11KeyboardLayoutTest)
#include "X11KeyboardLayoutTest.moc"
