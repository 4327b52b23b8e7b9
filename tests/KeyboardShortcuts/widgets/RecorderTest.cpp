#include "KeyboardShortcuts/widgets/Recorder.h"

#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/KeyEvents.h"
#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/ShortcutDescription.h"
#include "preferences/Defaults.h"
#include "support/RecordingHotKeys.h"
#include "support/UsKeyboardLayout.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

namespace {

// The physical key of a test's key event, from Qt's key: what the X11
// adapter reads from the X key code.
std::optional<qint64> testVirtualKey(const QKeyEvent& event) {
    static const QHash<int, Key> keys = {{Qt::Key_A, Keys::a},
                                         {Qt::Key_K, Keys::k},
                                         {Qt::Key_M, Keys::m},
                                         {Qt::Key_Q, Keys::q},
                                         {Qt::Key_Tab, Keys::tab},
                                         {Qt::Key_Backtab, Keys::tab},
                                         {Qt::Key_Escape, Keys::escape},
                                         {Qt::Key_Backspace, Keys::deleteKey},
                                         {Qt::Key_Delete, Keys::deleteForward},
                                         {Qt::Key_F5, Keys::f5},
                                         {Qt::Key_F12, Keys::f12},
                                         {Qt::Key_Space, Keys::space}};
    const auto key = keys.constFind(event.key());
    return key == keys.constEnd() ? std::nullopt : std::optional(key->rawValue);
}

const Name showClipboard(u"showClipboard"_s);
const Shortcut controlShiftK =
    Shortcut::fromStored(Keys::k.rawValue, CarbonModifier::control | CarbonModifier::shift);
const Shortcut controlShiftM =
    Shortcut::fromStored(Keys::m.rawValue, CarbonModifier::control | CarbonModifier::shift);
const Shortcut f12 = Shortcut::fromStored(Keys::f12.rawValue, 0);

// A window with the recorder and a field after it, as a form has them.
struct Form {
    QWidget window;
    Recorder* row = new Recorder(u"Show clipboard:"_s, showClipboard);
    QLineEdit* next = new QLineEdit;
    QList<std::optional<Shortcut>> changes;
    QList<RecorderAlert> alerts;
    QList<int> answers; // for the alerts to come; none answers 0
    int beeps = 0;

    Form() {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(row);
        layout->addWidget(next);
        recorder()->onChange = [this](const std::optional<Shortcut>& s) { changes.append(s); };
        recorder()->beep = [this] { ++beeps; };
        recorder()->presentAlert = [this](const RecorderAlert& alert) {
            alerts.append(alert);
            return answers.isEmpty() ? 0 : answers.takeFirst();
        };
    }
    RecorderCocoa* recorder() const { return row->control(); }
    bool show() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
    void startRecording() { QTest::mouseClick(recorder(), Qt::LeftButton); }
    void press(int key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(recorder(), Qt::Key(key), modifiers);
    }
};

} // namespace

// The shortcut box: what each key means while recording, pausing the
// library, storing, clearing, and the conflicts it warns of.
class RecorderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void meaningOfKeys_data();
    void meaningOfKeys();
    void recordsOnlyWhenAskedAndPausesTheShortcuts();
    void refusesClearsAndStopsWithKeys();
    void conflictsWarnAndCanBeForced();

private:
    std::unique_ptr<QTemporaryDir> m_directory;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<RecordingHotKeys> m_hotKeys;
};

void RecorderTest::init() {
    m_directory = std::make_unique<QTemporaryDir>();
    m_defaults = std::make_unique<Defaults>(m_directory->filePath(u"settings.json"_s));
    m_hotKeys = std::make_unique<RecordingHotKeys>();
    setDefaults(m_defaults.get());
    setHotKeyPlatform(m_hotKeys.get());
    setKeyToCharacter(usLayoutCharacter);
    setVirtualKeyOfEvent(testVirtualKey);
}

void RecorderTest::cleanup() {
    removeAllHandlers();
    setVirtualKeyOfEvent({});
    setKeyToCharacter({});
    setHotKeyPlatform(nullptr);
    setDefaults(nullptr);
    m_hotKeys.reset();
    m_defaults.reset();
}

void RecorderTest::meaningOfKeys_data() {
    using Meaning = RecorderCocoa::KeyMeaning;
    using namespace ModifierFlag;
    QTest::addColumn<Key>("key");
    QTest::addColumn<qint64>("flags");
    QTest::addColumn<Meaning>("meaning");
    QTest::newRow("Tab") << Keys::tab << qint64(0) << Meaning::moveFocus;
    QTest::newRow("Shift-Tab") << Keys::tab << shift << Meaning::refuse;
    QTest::newRow("Backspace") << Keys::deleteKey << qint64(0) << Meaning::clear;
    QTest::newRow("Delete") << Keys::deleteForward << qint64(0) << Meaning::clear;
    QTest::newRow("Escape") << Keys::escape << qint64(0) << Meaning::stop;
    QTest::newRow("Control-Escape") << Keys::escape << control << Meaning::candidate;
    QTest::newRow("A") << Keys::a << qint64(0) << Meaning::refuse;
    QTest::newRow("Shift-A") << Keys::a << shift << Meaning::refuse;
    QTest::newRow("F5") << Keys::f5 << qint64(0) << Meaning::candidate;
    QTest::newRow("Shift-F20") << Keys::f20 << shift << Meaning::candidate;
    QTest::newRow("Super-A") << Keys::a << command << Meaning::candidate;
    QTest::newRow("Alt-Shift-K") << Keys::k << (option | shift) << Meaning::candidate;
}

void RecorderTest::meaningOfKeys() {
    QFETCH(Key, key);
    QFETCH(qint64, flags);
    QFETCH(RecorderCocoa::KeyMeaning, meaning);
    QCOMPARE(RecorderCocoa::meaningOfKey(key.rawValue, flags), meaning);
}

void RecorderTest::recordsOnlyWhenAskedAndPausesTheShortcuts() {
    setShortcut(f12, showClipboard);
    int fired = 0;
    onKeyDown(showClipboard, [&] { ++fired; });
    Form form;
    QCOMPARE(form.recorder()->text(), u"F12"_s);
    QCOMPARE(form.row->label()->buddy(), form.recorder());
    QCOMPARE(form.recorder()->accessibleName(), u"Show clipboard"_s);
    QVERIFY(form.show());
    // Opening the window, even with the box first in line, starts nothing.
    QVERIFY(!form.recorder()->isRecording());
    QVERIFY(!isPaused());

    QSignalSpy active(&notifier(), &Notifier::recorderActiveStatusDidChange);
    form.startRecording();
    QVERIFY(form.recorder()->isRecording());
    QCOMPARE(RecorderCocoa::activeRecorder(), form.recorder());
    QVERIFY(isPaused());
    QCOMPARE(active.takeFirst(), QVariantList{true});
    // The current shortcut reaches the box, not its action.
    QVERIFY(!m_hotKeys->play(quint32(f12.carbonKeyCode), 0, EventType::keyDown));
    form.press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(fired, 0);
    QCOMPARE(getShortcut(showClipboard), std::optional(controlShiftK));
    QCOMPARE(form.changes, QList<std::optional<Shortcut>>{controlShiftK});
    QCOMPARE(form.recorder()->text(), description(controlShiftK));
    QVERIFY(!form.recorder()->isRecording() && !isPaused());
    QCOMPARE(active.takeFirst(), QVariantList{false});
    QVERIFY(m_hotKeys->play(quint32(controlShiftK.carbonKeyCode),
                            quint32(controlShiftK.carbonModifiers), EventType::keyDown));
    QCOMPARE(fired, 1);

    // Tab reaches the box from the field before it and records; Space
    // records in a box that has the focus back from the window.
    form.next->setFocus();
    QTest::keyClick(form.next, Qt::Key_Backtab, Qt::ShiftModifier);
    QVERIFY(form.recorder()->hasFocus() && form.recorder()->isRecording());
    form.press(Qt::Key_Tab);
    QVERIFY(form.next->hasFocus() && !form.recorder()->isRecording() && !isPaused());
    form.recorder()->setFocus(Qt::ActiveWindowFocusReason);
    QVERIFY(!form.recorder()->isRecording());
    form.press(Qt::Key_Space);
    QVERIFY(form.recorder()->isRecording());
    // A click elsewhere ends it; so does a stored name changed elsewhere
    // show at once.
    QTest::mouseClick(form.next, Qt::LeftButton);
    QVERIFY(!form.recorder()->isRecording() && !isPaused());
    setShortcut(controlShiftM, showClipboard);
    QCOMPARE(form.recorder()->text(), description(controlShiftM));
}

void RecorderTest::refusesClearsAndStopsWithKeys() {
    setShortcut(controlShiftK, showClipboard);
    Form form;
    QVERIFY(form.show());
    form.startRecording();
    form.press(Qt::Key_A);
    form.press(Qt::Key_A, Qt::ShiftModifier);
    form.press(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(form.beeps, 3);
    QVERIFY(form.recorder()->isRecording());
    form.press(Qt::Key_Escape);
    QVERIFY(!form.recorder()->isRecording());
    QCOMPARE(getShortcut(showClipboard), std::optional(controlShiftK));
    QVERIFY(form.changes.isEmpty());

    // The clear button clears and starts recording; so does Backspace.
    QList<QAction*> actions = form.recorder()->actions();
    QCOMPARE(actions.size(), 1);
    QVERIFY(actions.first()->isVisible());
    actions.first()->trigger();
    QCOMPARE(getShortcut(showClipboard), std::nullopt);
    QCOMPARE(form.changes, QList<std::optional<Shortcut>>{std::nullopt});
    QVERIFY(form.recorder()->isRecording() && form.recorder()->text().isEmpty());
    QVERIFY(!actions.first()->isVisible());
    form.press(Qt::Key_F5);
    QCOMPARE(getShortcut(showClipboard), std::optional(Shortcut::fromStored(Keys::f5.rawValue, 0)));
    form.startRecording();
    form.press(Qt::Key_Backspace);
    QCOMPARE(getShortcut(showClipboard), std::nullopt);
    QVERIFY(form.recorder()->isRecording());
    QVERIFY(form.alerts.isEmpty());
}

void RecorderTest::conflictsWarnAndCanBeForced() {
    QMenu menu;
    menu.addAction(u"&Merge Lines"_s)->setShortcut(keySequence(controlShiftM));
    Form form;
    QVERIFY(form.show());

    // A menu item's shortcut is refused; the box records again after.
    form.startRecording();
    form.press(Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form.alerts.size(), 1);
    QVERIFY(form.alerts[0].message.contains(u"“Merge Lines”"_s));
    QVERIFY(form.alerts[0].buttons.isEmpty());
    QCOMPARE(getShortcut(showClipboard), std::nullopt);
    QVERIFY(form.recorder()->isRecording());
    // Under warn, "Use Anyway" takes it.
    form.recorder()->conflictPolicy.menuItem = ConflictBehavior::warn;
    form.answers = {1};
    form.press(Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form.alerts.size(), 2);
    QCOMPARE(getShortcut(showClipboard), std::optional(controlShiftM));
    // Pressed again, the stored shortcut skips the menu check.
    form.recorder()->conflictPolicy.menuItem = ConflictBehavior::block;
    form.startRecording();
    form.press(Qt::Key_M, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form.alerts.size(), 2);
    QCOMPARE(form.changes.size(), 2);

    // Held by another program: two buttons, "OK" keeps the old one.
    m_hotKeys->refused.insert(
        {quint32(controlShiftK.carbonKeyCode), quint32(controlShiftK.carbonModifiers)});
    m_hotKeys->refused.insert({quint32(f12.carbonKeyCode), 0});
    form.startRecording();
    form.press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(form.alerts.size(), 3);
    QCOMPARE(form.alerts[2].buttons.size(), 2);
    QVERIFY(form.alerts[2].informativeText);
    QCOMPARE(getShortcut(showClipboard), std::optional(controlShiftM));
    form.answers = {1};
    form.press(Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(getShortcut(showClipboard), std::optional(controlShiftK));
    // F12 alone is never reported as taken.
    form.startRecording();
    form.press(Qt::Key_F12);
    QCOMPARE(form.alerts.size(), 4);
    QCOMPARE(getShortcut(showClipboard), std::optional(f12));

    // The caller's rule has the last word.
    form.recorder()->validateShortcut = [](const Shortcut&) {
        return ValidationResult::disallow(u"Not this one."_s);
    };
    form.startRecording();
    form.press(Qt::Key_F5);
    QCOMPARE(form.alerts.size(), 5);
    QCOMPARE(form.alerts[4].message, u"Not this one."_s);
    QCOMPARE(getShortcut(showClipboard), std::optional(f12));
}

QTEST_MAIN(RecorderTest)
#include "RecorderTest.moc"
