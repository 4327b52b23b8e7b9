#include "KeyboardShortcuts/widgets/MenuTracker.h"

#include "KeyboardShortcuts/HotKeyCenter.h"
#include "KeyboardShortcuts/Library.h"
#include "preferences/Defaults.h"
#include "support/RecordingHotKeys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

using namespace Qt::StringLiterals;
using namespace KeyboardShortcuts;

namespace {

constexpr qint64 keyV = 9;
constexpr qint64 shiftCommand = CarbonModifier::shift | CarbonModifier::command;

// The virtual key code of the tests' key events: V for Qt's V, nothing else.
std::optional<qint64> virtualKeyOf(const QKeyEvent& event) {
    return event.key() == Qt::Key_V ? std::optional<qint64>(keyV) : std::nullopt;
}

} // namespace

// While a menu of the application is open, or a window of it holds the
// keyboard, the shortcut is matched against the application's own keys.
class MenuTrackerTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void openMenusAndWindowsHoldingTheKeyboardSwitchToTheApplicationsKeys();
    void cleanupTestCase() { setHotKeyPlatform(nullptr); }

private:
    QTemporaryDir m_dir;
    std::unique_ptr<Defaults> m_defaults;
    RecordingHotKeys m_platform;
    QList<EventType> m_seen;
};

void MenuTrackerTest::initTestCase() {
    QStandardPaths::setTestModeEnabled(true);
    m_defaults = std::make_unique<Defaults>(m_dir.filePath(u"settings.json"_s));
    setDefaults(m_defaults.get());
    setHotKeyPlatform(&m_platform);
    const Name name(u"tracked"_s);
    setShortcut(Shortcut{keyV, shiftCommand}, name);
    onKeyDown(name, [this] { m_seen.append(EventType::keyDown); });
    onKeyUp(name, [this] { m_seen.append(EventType::keyUp); });
    QVERIFY(m_platform.isGrabbed(keyV, shiftCommand));
}

void MenuTrackerTest::openMenusAndWindowsHoldingTheKeyboardSwitchToTheApplicationsKeys() {
    MenuTracker tracker(virtualKeyOf);
    QMenu menu;
    menu.addAction(u"Quit"_s);
    menu.popup(QPoint(10, 10));
    QTRY_VERIFY(tracker.isMenuOpen());
    QVERIFY(m_platform.grabbed.isEmpty());
    QWindow* window = menu.windowHandle();
    QVERIFY(window);
    m_seen.clear();
    QTest::keyPress(window, Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier);
    // A repeat of the held key is not a new press.
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier, u"V"_s,
                     true);
    QApplication::sendEvent(window, &repeat);
    QTest::keyRelease(window, Qt::Key_V, Qt::ShiftModifier | Qt::MetaModifier);
    // Other keys stay the menu's.
    QTest::keyClick(window, Qt::Key_V, Qt::ShiftModifier);
    QCOMPARE(m_seen, (QList<EventType>{EventType::keyDown, EventType::keyUp}));
    QVERIFY(menu.isVisible());
    menu.hide();
    QTRY_VERIFY(!tracker.isMenuOpen());
    QVERIFY(m_platform.isGrabbed(keyV, shiftCommand));

    // A window holding the keyboard counts as a menu.
    {
        QObject overlay;
        tracker.setHoldsKeyboard(&overlay, true);
        QCOMPARE(HotKeyCenter::existing()->mode(), HotKeyCenter::Mode::menuOpen);
        QVERIFY(m_platform.grabbed.isEmpty());
        tracker.setHoldsKeyboard(&overlay, false);
        QCOMPARE(HotKeyCenter::existing()->mode(), HotKeyCenter::Mode::normal);
        tracker.setHoldsKeyboard(&overlay, true);
    }
    // Destroyed while holding it: the grabs come back.
    QVERIFY(!tracker.isMenuOpen());
    QVERIFY(m_platform.isGrabbed(keyV, shiftCommand));
}

QTEST_MAIN(MenuTrackerTest)
#include "MenuTrackerTest.moc"
