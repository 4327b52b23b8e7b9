#include "KeyboardShortcuts/HotKeyCenter.h"
#include "KeyboardShortcuts/KeyEvents.h"
#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/ShortcutDescription.h"
#include "KeyboardShortcuts/widgets/MenuTracker.h"
#include "KeyboardShortcuts/widgets/RecorderCocoa.h"
#include "platform/x11/X11HotKeys.h"
#include "platform/x11/X11KeyboardLayout.h"
#include "platform/xdg/VirtualKeyCodes.h"
#include "preferences/Defaults.h"
#include "support/HelperProcess.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <qguiapplication_platform.h>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

namespace {

constexpr qint64 keyV = 9;
constexpr qint64 keyB = 11;
constexpr qint64 keyY = 16;
constexpr qint64 keyK = 40;
constexpr qint64 shiftCommand = CarbonModifier::shift | CarbonModifier::command;

bool xdotool(const QStringList& arguments) {
    return QProcess::execute(u"xdotool"_s, arguments) == 0;
}

std::optional<qint64> xVirtualKey(const QKeyEvent& event) {
    const quint32 keyCode = event.nativeScanCode();
    if (keyCode < xKeycodeOffset)
        return std::nullopt;
    return virtualKeyForEvdevCode(keyCode - xKeycodeOffset);
}

} // namespace

// The shortcut library on the real X server: the named shortcut fires on
// its own grab, also while one of the application's menus holds the
// keyboard; a combination another client holds is refused without losing
// the user's choice, and the recorder warns of it; the text follows the
// keyboard layout.
class GlobalShortcutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();
    void releaseFiresOncePerPress();
    void firesWhileAMenuIsOpen();
    void takenCombinationIsRefused();
    void textFollowsTheKeyboardLayout();
    void recorderWarnsOfACombinationAnotherProgramHolds();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<X11HotKeys> m_hotKeys;
    QList<EventType> m_seen;
    const Name m_name{u"showClipboard"_s, Shortcut{keyV, shiftCommand}};
};

void GlobalShortcutTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    if (!qApp->nativeInterface<QNativeInterface::QX11Application>())
        QFAIL("needs the X server that scripts/test starts (DISPLAY is not set)");
    m_defaults = std::make_unique<Defaults>(m_dir.filePath(u"settings.json"_s));
    setDefaults(m_defaults.get());
}

void GlobalShortcutTest::init() {
    m_hotKeys = std::make_unique<X11HotKeys>();
    setHotKeyPlatform(m_hotKeys.get());
    reset({m_name});
    m_seen.clear();
    onKeyDown(m_name, [this] { m_seen.append(EventType::keyDown); });
    onKeyUp(m_name, [this] { m_seen.append(EventType::keyUp); });
}

void GlobalShortcutTest::cleanup() {
    removeAllHandlers();
    setHotKeyPlatform(nullptr);
    m_hotKeys.reset();
}

void GlobalShortcutTest::cleanupTestCase() {
    setDefaults(nullptr);
}

void GlobalShortcutTest::releaseFiresOncePerPress() {
    QVERIFY(isRegistered(m_name));
    QVERIFY(xdotool({u"key"_s, u"shift+super+v"_s}));
    QTRY_COMPARE(m_seen, (QList<EventType>{EventType::keyDown, EventType::keyUp}));
    // Held down: presses repeat, one release.
    m_seen.clear();
    QVERIFY(xdotool({u"keydown"_s, u"shift+super+v"_s}));
    QTRY_VERIFY_WITH_TIMEOUT(m_seen.size() >= 3, 5000);
    QVERIFY(xdotool({u"keyup"_s, u"v"_s, u"keyup"_s, u"super"_s, u"keyup"_s, u"shift"_s}));
    QTRY_COMPARE(m_seen.count(EventType::keyUp), 1);
    QCOMPARE(m_seen.last(), EventType::keyUp);
    QVERIFY(!m_seen.mid(0, m_seen.size() - 1).contains(EventType::keyUp));
}

void GlobalShortcutTest::firesWhileAMenuIsOpen() {
    MenuTracker tracker(xVirtualKey);
    QMenu menu;
    menu.addAction(u"Quit Velloq"_s);
    menu.popup(QPoint(200, 200));
    QTRY_VERIFY(tracker.isMenuOpen());
    QCOMPARE(HotKeyCenter::existing()->mode(), HotKeyCenter::Mode::menuOpen);
    QVERIFY(xdotool({u"key"_s, u"shift+super+v"_s}));
    QTRY_COMPARE(m_seen, (QList<EventType>{EventType::keyDown, EventType::keyUp}));
    QVERIFY(menu.isVisible());
    menu.hide();
    QTRY_COMPARE(HotKeyCenter::existing()->mode(), HotKeyCenter::Mode::normal);
    m_seen.clear();
    QVERIFY(xdotool({u"key"_s, u"shift+super+v"_s}));
    QTRY_COMPARE(m_seen.size(), 2);
}

void GlobalShortcutTest::takenCombinationIsRefused() {
    HelperProcess grabber;
    QVERIFY(grabber.start(helperPath("velloq-key-grabber"), {u"shift+super"_s, u"b"_s}));
    QCOMPARE(grabber.firstLine(), QByteArray("ready"));
    const Shortcut taken{keyB, shiftCommand};
    setShortcut(taken, m_name);
    QVERIFY(!isRegistered(m_name));
    QCOMPARE(getShortcut(m_name), taken);
    // Once the other client lets go, choosing it again works.
    grabber.stop();
    setShortcut(taken, m_name);
    QVERIFY(isRegistered(m_name));
    QVERIFY(xdotool({u"key"_s, u"shift+super+b"_s}));
    QTRY_COMPARE(m_seen.size(), 2);
}

void GlobalShortcutTest::textFollowsTheKeyboardLayout() {
    X11KeyboardLayout layout;
    setKeyToCharacter([&layout](qint64 keyCode) { return layout.character(keyCode); });
    const auto restore = qScopeGuard([] {
        QProcess::execute(u"setxkbmap"_s, {u"us"_s});
        setKeyToCharacter({});
    });
    QCOMPARE(description(Shortcut{keyV, shiftCommand}), u"⇧⌘V"_s);
    QCOMPARE(description(Shortcut{keyY, CarbonModifier::control}), u"⌃Y"_s);
    QCOMPARE(QProcess::execute(u"setxkbmap"_s, {u"de"_s}), 0);
    QTRY_COMPARE(description(Shortcut{keyY, CarbonModifier::control}), u"⌃Z"_s);
}

void GlobalShortcutTest::recorderWarnsOfACombinationAnotherProgramHolds() {
    HelperProcess grabber;
    QVERIFY(grabber.start(helperPath("velloq-key-grabber"), {u"control+alt"_s, u"k"_s}));
    QCOMPARE(grabber.firstLine(), QByteArray("ready"));
    setVirtualKeyOfEvent(xVirtualKey);
    const auto restore = qScopeGuard([] { setVirtualKeyOfEvent({}); });
    QWidget window;
    auto* recorder = new RecorderCocoa(m_name, {}, &window);
    window.resize(300, 80);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // The window's opening gave the box the focus, not a recording.
    QVERIFY(!recorder->isRecording());
    QTest::mouseClick(recorder, Qt::LeftButton);
    QVERIFY(recorder->isRecording());

    // The warning offers to use it anyway; the answer is given from the
    // warning's own event loop.
    QStringList warnings;
    QTimer answer;
    connect(&answer, &QTimer::timeout, this, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        warnings.append(box->text());
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == u"Use Anyway"_s)
                button->click();
        }
    });
    answer.start(20);
    // Typed for real: the box holds the keyboard, so the other program's
    // grab does not take the keys.
    QVERIFY(xdotool({u"key"_s, u"ctrl+alt+k"_s}));
    const Shortcut taken{keyK, CarbonModifier::control | CarbonModifier::option};
    QTRY_COMPARE(getShortcut(m_name), std::optional(taken));
    QCOMPARE(warnings.size(), 1);
    QVERIFY(warnings.first().contains(u"another application"_s));
    QVERIFY(!recorder->isRecording());
}

QTEST_MAIN(GlobalShortcutTest)
#include "GlobalShortcutTest.moc"
