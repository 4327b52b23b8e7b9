#include "KeyboardShortcuts/Library.h"

#include "KeyboardShortcuts/HotKeyCenter.h"
#include "preferences/Defaults.h"
#include "support/RecordingHotKeys.h"

#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

namespace {

constexpr qint64 keyV = 9;
constexpr qint64 keyB = 11;
constexpr qint64 shiftCommand = CarbonModifier::shift | CarbonModifier::command;
const Shortcut shiftCommandV{keyV, shiftCommand};
const Shortcut shiftCommandB{keyB, shiftCommand};

} // namespace

class LibraryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void storageKeepsTheFormatAndTheFalseMarker();
    void unreadableStoredValuesReadAsNone();
    void builtShortcutsKeepOnlyKnownModifiers();
    void namesSharingAShortcutShareOneHotKey();
    void disabledOrPausedNamesDoNotRun();
    void openMenusMatchTheApplicationsKeys();
    void refusedRegistrationsKeepTheStoredShortcut();
    void streamsHoldTheHotKeyWhileOpen();
    void repeatingStreamsRepeatWhileHeld();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Defaults> m_defaults;
    RecordingHotKeys m_platform;
};

void LibraryTest::init() {
    QStandardPaths::setTestModeEnabled(true);
    m_dir = std::make_unique<QTemporaryDir>();
    m_defaults = std::make_unique<Defaults>(m_dir->filePath(u"settings.json"_s));
    setDefaults(m_defaults.get());
    m_platform.grabbed.clear();
    m_platform.refused.clear();
    m_platform.registrations = 0;
    setHotKeyPlatform(&m_platform);
}

void LibraryTest::cleanup() {
    removeAllHandlers();
    enable(allNames().values());
    setPaused(false);
    setEnabled(true);
    setHotKeyPlatform(nullptr);
    setDefaults(nullptr);
}

void LibraryTest::storageKeepsTheFormatAndTheFalseMarker() {
    const Name show(u"showClipboard"_s, shiftCommandV);
    const QString key = u"KeyboardShortcuts_showClipboard"_s;
    QCOMPARE(m_defaults->value(key).toString(), u"{\"carbonKeyCode\":9,\"carbonModifiers\":768}"_s);
    QCOMPARE(getShortcut(show), shiftCommandV);

    QSignalSpy changes(&notifier(), &Notifier::shortcutByNameDidChange);
    setShortcut(std::nullopt, show);
    QCOMPARE(m_defaults->value(key), QJsonValue(false));
    QCOMPARE(getShortcut(show), std::nullopt);
    setShortcut(std::nullopt, show);
    QCOMPARE(changes.size(), 1);
    // The next launch creates the name again: the user's "none" stands.
    const Name again(u"showClipboard"_s, shiftCommandV);
    QCOMPARE(getShortcut(again), std::nullopt);
    reset({again});
    QCOMPARE(getShortcut(again), shiftCommandV);
    QCOMPARE(changes.size(), 2);
    QCOMPARE(changes.last().first().value<Name>().rawValue(), u"showClipboard"_s);

    // Without a default, clearing removes the key, and twice says nothing.
    const Name plain(u"plain"_s);
    setShortcut(shiftCommandB, plain);
    QVERIFY(m_defaults->hasStoredValue(u"KeyboardShortcuts_plain"_s));
    setShortcut(std::nullopt, plain);
    QVERIFY(!m_defaults->hasStoredValue(u"KeyboardShortcuts_plain"_s));
    const qsizetype before = changes.size();
    setShortcut(std::nullopt, plain);
    QCOMPARE(changes.size(), before);

    setShortcut(shiftCommandB, plain);
    QCOMPARE(allNames(), (QSet<Name>{Name(u"showClipboard"_s), Name(u"plain"_s)}));
    removeAllShortcuts();
    QVERIFY(allNames().isEmpty());
}

void LibraryTest::unreadableStoredValuesReadAsNone() {
    const Name name(u"odd"_s);
    for (const QJsonValue& stored :
         {QJsonValue(true), QJsonValue(9), QJsonValue(u"{\"carbonKeyCode\":9}"_s),
          QJsonValue(u"{\"carbonKeyCode\":9.5,\"carbonModifiers\":768}"_s),
          QJsonValue(u"not json"_s)}) {
        m_defaults->set(name.storageKey(), stored);
        QCOMPARE(getShortcut(name), std::nullopt);
    }
    // Members in any order, values taken as stored.
    m_defaults->set(name.storageKey(), u"{\"carbonModifiers\":4096,\"carbonKeyCode\":123}"_s);
    QCOMPARE(getShortcut(name), Shortcut::fromStored(123, 4096));
}

void LibraryTest::builtShortcutsKeepOnlyKnownModifiers() {
    // Caps Lock (0x400 in stored form) and unknown bits do not survive.
    QCOMPARE(Shortcut::fromKeyCode(keyV, shiftCommand | 0x400 | 0x1).carbonModifiers, shiftCommand);
    QCOMPARE(flagsFromCarbonModifiers(CarbonModifier::all),
             ModifierFlag::control | ModifierFlag::option | ModifierFlag::shift |
                 ModifierFlag::command | ModifierFlag::function);
    // Arrows and function keys are compared without Fn.
    QCOMPARE(normalizedModifiers(123, CarbonModifier::function | CarbonModifier::shift),
             CarbonModifier::shift);
    QCOMPARE(normalizedModifiers(keyV, CarbonModifier::function), CarbonModifier::function);
    QCOMPARE(carbonModifiersFromQt(Qt::ShiftModifier | Qt::MetaModifier | Qt::KeypadModifier),
             shiftCommand);
}

void LibraryTest::namesSharingAShortcutShareOneHotKey() {
    const Name first(u"first"_s);
    const Name second(u"second"_s);
    setShortcut(shiftCommandV, first);
    setShortcut(shiftCommandV, second);
    int firstRuns = 0;
    int secondRuns = 0;
    onKeyUp(first, [&] { ++firstRuns; });
    onKeyUp(second, [&] { ++secondRuns; });
    QCOMPARE(m_platform.grabbed.size(), 1);
    QVERIFY(isRegistered(first) && isRegistered(second));
    QVERIFY(m_platform.play(keyV, shiftCommand, EventType::keyUp));
    QCOMPARE(firstRuns, 1);
    QCOMPARE(secondRuns, 1);
    // Clearing one keeps the grab for the other.
    setShortcut(std::nullopt, first);
    QVERIFY(m_platform.isGrabbed(keyV, shiftCommand));
    QVERIFY(m_platform.play(keyV, shiftCommand, EventType::keyUp));
    QCOMPARE(firstRuns, 1);
    QCOMPARE(secondRuns, 2);
    // Moving the other away releases it and grabs the new combination.
    setShortcut(shiftCommandB, second);
    QVERIFY(!m_platform.isGrabbed(keyV, shiftCommand));
    QVERIFY(m_platform.isGrabbed(keyB, shiftCommand));
    // The grab goes by its name, whatever its combination.
    QCOMPARE(m_platform.nameOfHotKey(*m_platform.idOf(keyB, shiftCommand)), u"second"_s);
    removeHandler(second);
    QVERIFY(m_platform.grabbed.isEmpty());
}

void LibraryTest::disabledOrPausedNamesDoNotRun() {
    const Name active(u"active"_s);
    const Name off(u"off"_s);
    setShortcut(shiftCommandV, active);
    setShortcut(shiftCommandV, off);
    int activeRuns = 0;
    int offRuns = 0;
    onKeyDown(active, [&] { ++activeRuns; });
    onKeyDown(off, [&] { ++offRuns; });
    disable({off});
    QVERIFY(m_platform.play(keyV, shiftCommand, EventType::keyDown));
    QCOMPARE(activeRuns, 1);
    QCOMPARE(offRuns, 0);
    disable({active});
    QVERIFY(m_platform.grabbed.isEmpty());
    enable({off});
    QVERIFY(m_platform.play(keyV, shiftCommand, EventType::keyDown));
    QCOMPARE(offRuns, 1);
    QCOMPARE(activeRuns, 1);

    // Pausing withdraws the grabs; they return once neither paused nor turned off.
    setPaused(true);
    QVERIFY(m_platform.grabbed.isEmpty());
    QCOMPARE(HotKeyCenter::existing()->mode(), HotKeyCenter::Mode::disabled);
    setEnabled(false);
    setPaused(false);
    QVERIFY(m_platform.grabbed.isEmpty());
    setEnabled(true);
    QVERIFY(m_platform.play(keyV, shiftCommand, EventType::keyDown));
    QCOMPARE(offRuns, 2);
}

void LibraryTest::openMenusMatchTheApplicationsKeys() {
    const Name name(u"menu"_s);
    setShortcut(shiftCommandV, name);
    QList<EventType> seen;
    onKeyDown(name, [&] { seen.append(EventType::keyDown); });
    onKeyUp(name, [&] { seen.append(EventType::keyUp); });
    HotKeyCenter& center = *HotKeyCenter::existing();
    center.setMenuOpen(true);
    QVERIFY(m_platform.grabbed.isEmpty());
    QVERIFY(center.handleRawKey(keyV, shiftCommand, false, EventType::keyDown));
    QVERIFY(!center.handleRawKey(keyV, shiftCommand, true, EventType::keyDown));
    // Shift and Super may be lifted before the letter: the release still
    // ends the press.
    QVERIFY(center.handleRawKey(keyV, 0, false, EventType::keyUp));
    QVERIFY(!center.handleRawKey(keyV, 0, false, EventType::keyUp));
    QVERIFY(!center.handleRawKey(keyV, CarbonModifier::shift, false, EventType::keyDown));
    QCOMPARE(seen, (QList<EventType>{EventType::keyDown, EventType::keyUp}));
    // Turned off while the menu is open, on again after it closed: normal.
    setEnabled(false);
    center.setMenuOpen(false);
    setEnabled(true);
    QCOMPARE(center.mode(), HotKeyCenter::Mode::normal);
    QVERIFY(m_platform.isGrabbed(keyV, shiftCommand));
    QVERIFY(!center.handleRawKey(keyV, shiftCommand, false, EventType::keyDown));
}

void LibraryTest::refusedRegistrationsKeepTheStoredShortcut() {
    const Name name(u"taken"_s);
    m_platform.refused.insert({keyV, shiftCommand});
    setShortcut(shiftCommandV, name);
    onKeyUp(name, [] {});
    QVERIFY(!isRegistered(name));
    QCOMPARE(getShortcut(name), shiftCommandV);
    // Freed by the other client: the next change of the name registers it.
    m_platform.refused.clear();
    setShortcut(shiftCommandV, name);
    QVERIFY(isRegistered(name));
    // Lost later (the grab could not be renewed): the registry lets go.
    const auto id = m_platform.idOf(keyV, shiftCommand);
    QVERIFY(id);
    m_platform.grabbed.remove(*id);
    m_platform.onRegistrationLost(*id);
    QVERIFY(!isRegistered(name));
}

void LibraryTest::streamsHoldTheHotKeyWhileOpen() {
    const Name name(u"streamed"_s);
    setShortcut(shiftCommandV, name);
    QList<EventType> all;
    QList<EventType> ups;
    {
        auto stream = events(name);
        stream->onEvent = [&](EventType type) { all.append(type); };
        auto upsOnly = events(EventType::keyUp, name);
        upsOnly->onEvent = [&](EventType type) { ups.append(type); };
        QVERIFY(isRegistered(name));
        m_platform.play(keyV, shiftCommand, EventType::keyDown);
        m_platform.play(keyV, shiftCommand, EventType::keyUp);
    }
    QCOMPARE(all, (QList<EventType>{EventType::keyDown, EventType::keyUp}));
    QCOMPARE(ups, QList<EventType>{EventType::keyUp});
    QVERIFY(m_platform.grabbed.isEmpty());

    // Streams on a bare shortcut grab it directly. Two streams that each
    // close the other when they get an event: whichever comes first, the
    // closed one gets nothing.
    std::unique_ptr<EventStream> first = events(shiftCommandB);
    std::unique_ptr<EventStream> second = events(shiftCommandB);
    int received = 0;
    first->onEvent = [&](EventType) {
        ++received;
        second.reset();
    };
    second->onEvent = [&](EventType) {
        ++received;
        first.reset();
    };
    QVERIFY(m_platform.play(keyB, shiftCommand, EventType::keyDown));
    QCOMPARE(received, 1);
    QVERIFY(!first != !second);
    first.reset();
    second.reset();
    QVERIFY(m_platform.grabbed.isEmpty());
}

void LibraryTest::repeatingStreamsRepeatWhileHeld() {
    setKeyRepeatTiming([] { return std::pair(40, 10); });
    const Name name(u"repeating"_s);
    setShortcut(shiftCommandV, name);
    auto stream = repeatingKeyDownEvents(name);
    int elements = 0;
    stream->onKeyDown = [&] { ++elements; };
    m_platform.play(keyV, shiftCommand, EventType::keyDown);
    QCOMPARE(elements, 1);
    QTRY_VERIFY(elements >= 4);
    m_platform.play(keyV, shiftCommand, EventType::keyUp);
    const int released = elements;
    QTest::qWait(60);
    QCOMPARE(elements, released);
    // Pausing stops a held repeat as well.
    m_platform.play(keyV, shiftCommand, EventType::keyDown);
    QTRY_VERIFY(elements >= released + 3);
    setPaused(true);
    const int paused = elements;
    QTest::qWait(60);
    QCOMPARE(elements, paused);
    setPaused(false);
    setKeyRepeatTiming({});
}

QTEST_GUILESS_MAIN(LibraryTest)
#include "LibraryTest.moc"
