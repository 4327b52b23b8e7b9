#include "platform/x11/X11HotKeys.h"

#include "KeyboardShortcuts/Key.h"
#include "support/HelperProcess.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using KeyboardShortcuts::EventType;
namespace CarbonModifier = KeyboardShortcuts::CarbonModifier;
namespace Keys = KeyboardShortcuts::Keys;

namespace {

constexpr quint32 shiftCommand = CarbonModifier::shift | CarbonModifier::command;
constexpr quint32 optionCommand = CarbonModifier::option | CarbonModifier::command;
constexpr quint32 keyV = quint32(Keys::v.rawValue);
constexpr quint32 keyB = quint32(Keys::b.rawValue);
// A combination pressed after the one under test: events arrive in order,
// so once its release is here, anything the first press caused is too.
constexpr quint32 fenceId = 99;

bool run(const QString& program, const QStringList& arguments) {
    return QProcess::execute(program, arguments) == 0;
}

bool xdotool(const QStringList& arguments) {
    return run(u"xdotool"_s, arguments);
}

bool xmodmap(const QStringList& expressions) {
    QStringList arguments;
    for (const QString& expression : expressions)
        arguments << u"-e"_s << expression;
    return run(u"xmodmap"_s, arguments);
}

// What a second client gets when it tries to grab the combination.
QByteArray grabberAnswer(const QString& modifiers, const QString& key) {
    HelperProcess grabber;
    if (!grabber.start(helperPath("velloq-key-grabber"), {modifiers, key}))
        return "did not start";
    return grabber.firstLine();
}

} // namespace

class X11HotKeysTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();

    void pressGivesOneKeyDownAndOneKeyUp();
    void worksWithCapsLockOn();
    void worksWithNumLockOn();
    void heldCombinationRepeatsAndReleasesOnce();
    void onlyTheMatchingRegistrationIsTriggered();
    void unregisteringReleasesEveryGrab();
    void combinationHeldByAnotherClientIsRefusedWhole();
    void refusesWhatCannotBeGrabbed();
    void grabsFollowTheModifierMap();
    void registrationRefusedAfterAMappingChangeIsLost();
    void grabsSurviveALayoutChange();

private:
    int count(quint32 id, EventType type) const;
    bool press(const QString& combination, quint32 id);
    bool fence();
    uint16_t modifierState();
    void toggleLock(const QString& keysym, uint16_t mask);

    XcbConnection m_connection;
    std::unique_ptr<X11HotKeys> m_hotKeys;
    QList<std::pair<quint32, EventType>> m_events;
    QList<quint32> m_lost;
    QList<std::pair<QString, uint16_t>> m_toggledLocks;
    QStringList m_modifierMapRestore;
    QString m_repeatDelay;
    QString m_repeatRate;
};

void X11HotKeysTest::initTestCase() {
    if (qEnvironmentVariableIsEmpty("DISPLAY") || !m_connection.isValid())
        QFAIL("needs the X server that scripts/test starts (DISPLAY is not set)");
    QProcess xset;
    xset.start(u"xset"_s, {u"q"_s});
    QVERIFY(xset.waitForFinished());
    const auto match =
        QRegularExpression(u"auto repeat delay:\\s*(\\d+)\\s*repeat rate:\\s*(\\d+)"_s)
            .match(QString::fromLocal8Bit(xset.readAllStandardOutput()));
    QVERIFY(match.hasMatch());
    m_repeatDelay = match.captured(1);
    m_repeatRate = match.captured(2);
}

void X11HotKeysTest::cleanupTestCase() {
    if (!m_repeatDelay.isEmpty())
        run(u"xset"_s, {u"r"_s, u"rate"_s, m_repeatDelay, m_repeatRate});
}

void X11HotKeysTest::init() {
    m_events.clear();
    m_lost.clear();
    m_hotKeys = std::make_unique<X11HotKeys>();
    QVERIFY(m_hotKeys->isValid());
    m_hotKeys->onHotKeyEvent = [this](quint32 id, EventType type) { m_events.append({id, type}); };
    m_hotKeys->onRegistrationLost = [this](quint32 id) { m_lost.append(id); };
    QVERIFY(m_hotKeys->registerHotKey(fenceId, quint32(Keys::k.rawValue),
                                      CarbonModifier::control | CarbonModifier::option));
}

void X11HotKeysTest::cleanup() {
    // A failed test may leave keys down; releasing keys that are up is harmless.
    xdotool({u"keyup"_s, u"v"_s, u"b"_s, u"k"_s, u"super"_s, u"shift"_s, u"alt"_s, u"ctrl"_s});
    for (const auto& [keysym, mask] : std::as_const(m_toggledLocks))
        toggleLock(keysym, mask);
    m_toggledLocks.clear();
    if (!m_modifierMapRestore.isEmpty())
        xmodmap(m_modifierMapRestore);
    m_modifierMapRestore.clear();
    m_hotKeys.reset();
}

int X11HotKeysTest::count(quint32 id, EventType type) const {
    return int(m_events.count({id, type}));
}

// Presses and releases the combination, then waits for the release of the
// registration `id`.
bool X11HotKeysTest::press(const QString& combination, quint32 id) {
    const int releases = count(id, EventType::keyUp);
    if (!xdotool({u"key"_s, combination}))
        return false;
    return QTest::qWaitFor([&] { return count(id, EventType::keyUp) > releases; }, 5000);
}

bool X11HotKeysTest::fence() {
    return press(u"ctrl+alt+k"_s, fenceId);
}

uint16_t X11HotKeysTest::modifierState() {
    xcb_connection_t* c = m_connection.get();
    XcbReply<xcb_query_pointer_reply_t> reply(
        xcb_query_pointer_reply(c, xcb_query_pointer(c, m_connection.root()), nullptr));
    return reply ? reply->mask : 0;
}

void X11HotKeysTest::toggleLock(const QString& keysym, uint16_t mask) {
    const bool wasOn = modifierState() & mask;
    QVERIFY(xdotool({u"key"_s, keysym}));
    QTRY_COMPARE(bool(modifierState() & mask), !wasOn);
}

void X11HotKeysTest::pressGivesOneKeyDownAndOneKeyUp() {
    QVERIFY(m_hotKeys->registerHotKey(1, keyV, shiftCommand));
    QVERIFY(press(u"shift+super+v"_s, 1));
    QVERIFY(fence());
    QCOMPARE(count(1, EventType::keyDown), 1);
    QCOMPARE(count(1, EventType::keyUp), 1);
    QCOMPARE(m_events.first(), std::pair(1u, EventType::keyDown));
}

void X11HotKeysTest::worksWithCapsLockOn() {
    QVERIFY(m_hotKeys->registerHotKey(1, keyV, shiftCommand));
    m_toggledLocks.append({u"Caps_Lock"_s, XCB_MOD_MASK_LOCK});
    toggleLock(u"Caps_Lock"_s, XCB_MOD_MASK_LOCK);
    QVERIFY(press(u"shift+super+v"_s, 1));
    QCOMPARE(count(1, EventType::keyDown), 1);
}

void X11HotKeysTest::worksWithNumLockOn() {
    QVERIFY(m_hotKeys->registerHotKey(1, keyV, shiftCommand));
    m_toggledLocks.append({u"Num_Lock"_s, XCB_MOD_MASK_2});
    toggleLock(u"Num_Lock"_s, XCB_MOD_MASK_2);
    QVERIFY(press(u"shift+super+v"_s, 1));
    QCOMPARE(count(1, EventType::keyDown), 1);
}

void X11HotKeysTest::heldCombinationRepeatsAndReleasesOnce() {
    QVERIFY(m_hotKeys->registerHotKey(1, keyV, shiftCommand));
    QVERIFY(run(u"xset"_s, {u"r"_s, u"rate"_s, u"200"_s, u"30"_s}));
    QVERIFY(xdotool({u"keydown"_s, u"shift+super+v"_s}));
    QTRY_VERIFY_WITH_TIMEOUT(count(1, EventType::keyDown) >= 3, 5000);
    QCOMPARE(count(1, EventType::keyUp), 0);
    // Super first: the key's own release then carries Shift alone, and the
    // modifiers' releases reach the grabbing connection as well.
    QVERIFY(xdotool({u"keyup"_s, u"super"_s}));
    QVERIFY(xdotool({u"keyup"_s, u"v"_s}));
    QVERIFY(xdotool({u"keyup"_s, u"shift"_s}));
    QVERIFY(fence());
    QCOMPARE(count(1, EventType::keyUp), 1);
    const qsizetype lastOfHotKey = m_events.lastIndexOf({1u, EventType::keyDown});
    QCOMPARE(m_events.indexOf({1u, EventType::keyUp}), lastOfHotKey + 1);
}

void X11HotKeysTest::onlyTheMatchingRegistrationIsTriggered() {
    QVERIFY(m_hotKeys->registerHotKey(1, keyV, shiftCommand));
    QVERIFY(m_hotKeys->registerHotKey(2, keyV, optionCommand));
    QVERIFY(m_hotKeys->registerHotKey(3, keyB, shiftCommand));
    QVERIFY(press(u"shift+super+v"_s, 1));
    QVERIFY(fence());
    QCOMPARE(count(2, EventType::keyDown), 0);
    QCOMPARE(count(3, EventType::keyDown), 0);
    QVERIFY(press(u"alt+super+v"_s, 2));
    QVERIFY(fence());
    QCOMPARE(count(1, EventType::keyDown), 1);
    QCOMPARE(count(2, EventType::keyDown), 1);
    QCOMPARE(count(3, EventType::keyDown), 0);
    // The same combination under a second id would make unregistering one
    // silently end the other.
    QVERIFY(!m_hotKeys->registerHotKey(4, keyV, shiftCommand));
}

void X11HotKeysTest::unregisteringReleasesEveryGrab() {
    QVERIFY(m_hotKeys->registerHotKey(1, keyV, shiftCommand));
    QCOMPARE(grabberAnswer(u"shift+super"_s, u"v"_s), "refused");
    QCOMPARE(grabberAnswer(u"shift+super+lock+mod2"_s, u"v"_s), "refused");
    m_hotKeys->unregisterHotKey(1);
    QVERIFY(xdotool({u"key"_s, u"shift+super+v"_s}));
    QVERIFY(fence());
    QCOMPARE(count(1, EventType::keyDown), 0);
    for (const QString& modifiers : {u"shift+super"_s, u"shift+super+lock"_s, u"shift+super+mod2"_s,
                                     u"shift+super+lock+mod2"_s})
        QCOMPARE(grabberAnswer(modifiers, u"v"_s), "ready");
}

void X11HotKeysTest::combinationHeldByAnotherClientIsRefusedWhole() {
    HelperProcess grabber;
    QVERIFY(grabber.start(helperPath("velloq-key-grabber"), {u"shift+super"_s, u"b"_s}));
    QCOMPARE(grabber.firstLine(), "ready");
    QVERIFY(!m_hotKeys->registerHotKey(5, keyB, shiftCommand));
    // The lock variants were granted before the refusal was known; none may
    // stay behind.
    for (const QString& modifiers :
         {u"shift+super+lock"_s, u"shift+super+mod2"_s, u"shift+super+lock+mod2"_s})
        QCOMPARE(grabberAnswer(modifiers, u"b"_s), "ready");
    grabber.stop();
    // The server lets go of the grab when it notices the client is gone.
    QTRY_VERIFY(m_hotKeys->registerHotKey(5, keyB, shiftCommand));
    QVERIFY(press(u"shift+super+b"_s, 5));
    QCOMPARE(count(5, EventType::keyDown), 1);
}

void X11HotKeysTest::refusesWhatCannotBeGrabbed() {
    QVERIFY(!m_hotKeys->registerHotKey(6, keyV, shiftCommand | CarbonModifier::function));
    // Caps Lock's Carbon bit: a lock, not a modifier a shortcut can ask for.
    QVERIFY(!m_hotKeys->registerHotKey(6, keyV, shiftCommand | 0x400));
    QVERIFY(!m_hotKeys->registerHotKey(6, quint32(Keys::function.rawValue), shiftCommand));
    QVERIFY(!m_hotKeys->registerHotKey(6, 0xFFFF, shiftCommand));
    QCOMPARE(grabberAnswer(u"shift+super"_s, u"v"_s), "ready");
}

void X11HotKeysTest::grabsFollowTheModifierMap() {
    QVERIFY(m_hotKeys->registerHotKey(1, keyV, shiftCommand));
    // Num Lock moves from Mod2 to Mod3: with it on, presses carry Mod3, which
    // only the renewed grabs accept.
    m_modifierMapRestore = {u"remove mod3 = Num_Lock"_s, u"add mod2 = Num_Lock"_s};
    QVERIFY(xmodmap({u"remove mod2 = Num_Lock"_s, u"add mod3 = Num_Lock"_s}));
    QTRY_COMPARE(grabberAnswer(u"shift+super+mod3"_s, u"v"_s), "refused");
    m_toggledLocks.append({u"Num_Lock"_s, XCB_MOD_MASK_3});
    toggleLock(u"Num_Lock"_s, XCB_MOD_MASK_3);
    QVERIFY(press(u"shift+super+v"_s, 1));
    QCOMPARE(count(1, EventType::keyDown), 1);
    QVERIFY(m_lost.isEmpty());
}

void X11HotKeysTest::registrationRefusedAfterAMappingChangeIsLost() {
    QVERIFY(m_hotKeys->registerHotKey(1, keyV, shiftCommand));
    QVERIFY(m_hotKeys->registerHotKey(3, keyB, shiftCommand));
    // Harmless while Mod3 means nothing; once Scroll Lock is put on Mod3,
    // one of the renewed grabs of registration 3 is this one.
    HelperProcess grabber;
    QVERIFY(grabber.start(helperPath("velloq-key-grabber"), {u"shift+super+mod3"_s, u"b"_s}));
    QCOMPARE(grabber.firstLine(), "ready");
    m_modifierMapRestore = {u"remove mod3 = Scroll_Lock"_s};
    QVERIFY(xmodmap({u"add mod3 = Scroll_Lock"_s}));
    QTRY_COMPARE(m_lost, QList<quint32>{3});
    QCOMPARE(grabberAnswer(u"shift+super"_s, u"b"_s), "ready");
    QVERIFY(press(u"shift+super+v"_s, 1));
    QCOMPARE(m_lost, QList<quint32>{3});
}

void X11HotKeysTest::grabsSurviveALayoutChange() {
    QVERIFY(m_hotKeys->registerHotKey(1, keyV, shiftCommand));
    QVERIFY(run(u"setxkbmap"_s, {u"de"_s}));
    const bool pressed = press(u"shift+super+v"_s, 1);
    QVERIFY(run(u"setxkbmap"_s, {u"us"_s}));
    QVERIFY(pressed);
    QVERIFY(m_lost.isEmpty());
}

QTEST_GUILESS_MAIN(X11HotKeysTest)
#include "X11HotKeysTest.moc"
