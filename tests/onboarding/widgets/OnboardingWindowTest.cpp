#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/Library.h"
#include "onboarding/widgets/AccessibilityStep.h"
#include "onboarding/widgets/OnboardingWindowController.h"
#include "onboarding/widgets/ReadyStep.h"
#include "onboarding/widgets/ShortcutStep.h"
#include "onboarding/widgets/WelcomeStep.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "style/Mnemonics.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

using Step = OnboardingCoordinator::Step;

namespace {

QPushButton* buttonTitled(QWidget* root, const QString& title) {
    for (QPushButton* button : root->findChildren<QPushButton*>()) {
        if (Mnemonics::plain(button->text()) == title && button->isVisibleTo(root))
            return button;
    }
    return nullptr;
}

bool showsText(QWidget* root, const QString& text) {
    for (QLabel* label : root->findChildren<QLabel*>()) {
        if (label->text() == text && label->isVisibleTo(root))
            return true;
    }
    return false;
}

} // namespace

// The wizard's window as the user meets it: one window, its pages in the
// right order with their buttons, Return for the forward button, and the
// permission followed only while the window is open.
class OnboardingWindowTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void walksThroughThePagesAndCloses();
    void showWhileOpenOnlyBringsItForward();
    void closingStopsWatchingAndReopensAfresh();
    void permissionPageFollowsTheGrant();
    void permissionPageSaysWhyPastingIsUnavailable();
    void lastPageNamesTheChosenShortcut();

private:
    OnboardingWizardView* open(Step step);
    void press(Qt::Key key);

    QTemporaryDir m_home;
    std::unique_ptr<Defaults> m_defaults;
    std::unique_ptr<OnboardingWindowController> m_controller;
    bool m_trusted = true;
    int m_requests = 0;
};

void OnboardingWindowTest::init() {
    static int run = 0;
    m_defaults = std::make_unique<Defaults>(m_home.filePath(u"settings-%1.json"_s.arg(++run)));
    KeyboardShortcuts::setDefaults(m_defaults.get());
    m_trusted = true;
    m_requests = 0;
    m_controller = std::make_unique<OnboardingWindowController>(
        *m_defaults, OnboardingWindowController::Services{
                         [this] { return m_trusted; }, [this] { ++m_requests; }, {}});
}

void OnboardingWindowTest::cleanup() {
    m_controller.reset();
    KeyboardShortcuts::setDefaults(nullptr);
    m_defaults.reset();
}

OnboardingWizardView* OnboardingWindowTest::open(Step step) {
    m_controller->show(step);
    OnboardingWizardView* window = m_controller->window();
    if (window && !QTest::qWaitForWindowExposed(window))
        return nullptr;
    return window;
}

// To the window, which gives it to the focused control first.
void OnboardingWindowTest::press(Qt::Key key) {
    QWidget* target = QApplication::focusWidget();
    QTest::keyClick(target ? target : m_controller->window(), key);
}

void OnboardingWindowTest::walksThroughThePagesAndCloses() {
    QVERIFY(!m_defaults->boolean(Preferences::onboardingShownKey));
    OnboardingWizardView* window = open(Step::welcome);
    QVERIFY(m_defaults->boolean(Preferences::onboardingShownKey));
    QCOMPARE(window->windowTitle(), u"Welcome to Velloq"_s);
    QCOMPARE(window->size(), QSize(620, 480));
    QVERIFY(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    QVERIFY(m_controller->permission().isPolling());
    QVERIFY(qobject_cast<WelcomeStep*>(window->page()));
    QCOMPARE(window->page()->title(), u"Velloq"_s);

    // Allowed: "Get Started" passes over the permission page.
    QTest::mouseClick(buttonTitled(window, u"Get Started"_s), Qt::LeftButton);
    QVERIFY(qobject_cast<ShortcutStep*>(window->page()));
    press(Qt::Key_Return);
    QVERIFY(qobject_cast<ReadyStep*>(window->page()));
    // Back twice reaches the permission page, which shows it is allowed.
    QTest::mouseClick(buttonTitled(window->page(), u"Back"_s), Qt::LeftButton);
    QTest::mouseClick(buttonTitled(window->page(), u"Back"_s), Qt::LeftButton);
    auto* permission = qobject_cast<AccessibilityStep*>(window->page());
    QVERIFY(permission);
    QVERIFY(permission->showsGranted());
    QCOMPARE(Mnemonics::plain(permission->forwardButton()->text()), u"Continue"_s);
    press(Qt::Key_Return);
    press(Qt::Key_Enter);
    QVERIFY(qobject_cast<ReadyStep*>(window->page()));
    QTest::mouseClick(buttonTitled(window->page(), u"Done"_s), Qt::LeftButton);
    QVERIFY(!window->isVisible());
    QVERIFY(!m_controller->permission().isPolling());
}

void OnboardingWindowTest::showWhileOpenOnlyBringsItForward() {
    OnboardingWizardView* window = open(Step::welcome);
    QTest::mouseClick(buttonTitled(window, u"Get Started"_s), Qt::LeftButton);
    m_controller->show(Step::accessibility);
    QCOMPARE(m_controller->window(), window);
    QVERIFY(qobject_cast<ShortcutStep*>(window->page()));
}

// Escape and Control-W close it as the title bar's button does; every page
// has its letters for Alt.
void OnboardingWindowTest::closingStopsWatchingAndReopensAfresh() {
    QPointer<OnboardingWizardView> first = open(Step::welcome);
    QVERIFY(buttonTitled(first, u"Get Started"_s)->text().contains(u'&'));
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : first.data(),
                    Qt::Key_Escape);
    QVERIFY(!first->isVisible());
    QVERIFY(!m_controller->permission().isPolling());
    OnboardingWizardView* again = open(Step::shortcut);
    QVERIFY(QTest::qWaitForWindowActive(again));
    QTest::keyClick(again->page()->forwardButton(), Qt::Key_W, Qt::ControlModifier);
    QVERIFY(!again->isVisible());
    QVERIFY(!m_controller->permission().isPolling());
    m_defaults->set(Preferences::onboardingShownKey, false);
    OnboardingWizardView* second = open(Step::ready);
    QVERIFY(m_defaults->boolean(Preferences::onboardingShownKey));
    QVERIFY(second != first.data());
    QVERIFY(qobject_cast<ReadyStep*>(second->page()));
    QVERIFY(m_controller->permission().isPolling());
    QTRY_VERIFY(!first); // the closed one is let go
}

// Not allowed: the page says where to allow it, Return asks the desktop
// (not "Skip"), and a grant changes the page's content in place.
void OnboardingWindowTest::permissionPageFollowsTheGrant() {
    m_trusted = false;
    OnboardingWizardView* window = open(Step::welcome);
    QTest::mouseClick(buttonTitled(window, u"Get Started"_s), Qt::LeftButton);
    auto* page = qobject_cast<AccessibilityStep*>(window->page());
    QVERIFY(page);
    QVERIFY(!page->showsGranted());
    QCOMPARE(page->title(), AccessibilityStep::notGrantedTitle());
    QVERIFY(
        showsText(page, u"Without it, clicking a card only copies it — then press ⌃V yourself."_s));
    press(Qt::Key_Return);
    QCOMPARE(m_requests, 1);
    QCOMPARE(window->page(), page);

    m_trusted = true;
    m_controller->permission().refresh();
    QCOMPARE(window->page(), page);
    QVERIFY(page->showsGranted());
    QCOMPARE(page->title(), AccessibilityStep::grantedTitle());
    QVERIFY(!buttonTitled(page, u"Skip"_s));
    // Moves on by itself a moment later.
    QTRY_VERIFY(qobject_cast<ShortcutStep*>(window->page()));
}

// A desktop that cannot let Velloq paste: the page says why, asks nobody,
// and Return goes on to the next page.
void OnboardingWindowTest::permissionPageSaysWhyPastingIsUnavailable() {
    m_trusted = false;
    const QString reason = u"This desktop does not let applications type."_s;
    m_controller = std::make_unique<OnboardingWindowController>(
        *m_defaults, OnboardingWindowController::Services{[] { return false; },
                                                          [this] { ++m_requests; }, reason});
    OnboardingWizardView* window = open(Step::accessibility);
    QVERIFY(window);
    auto* page = qobject_cast<AccessibilityStep*>(window->page());
    QVERIFY(page && !page->showsGranted());
    QVERIFY(showsText(page, reason));
    QVERIFY(!buttonTitled(page, u"Open System Settings"_s));
    press(Qt::Key_Return);
    QCOMPARE(m_requests, 0);
    QTRY_VERIFY(qobject_cast<ShortcutStep*>(window->page()));
}

void OnboardingWindowTest::lastPageNamesTheChosenShortcut() {
    OnboardingWizardView* window = open(Step::ready);
    QVERIFY(showsText(window, u"Press your shortcut"_s));
    QTest::mouseClick(buttonTitled(window, u"Back"_s), Qt::LeftButton);
    KeyboardShortcuts::setShortcut(
        KeyboardShortcuts::Shortcut::fromStored(KeyboardShortcuts::Keys::f5.rawValue, 0),
        Preferences::showClipboardShortcut());
    press(Qt::Key_Return);
    QVERIFY(qobject_cast<ReadyStep*>(window->page()));
    QVERIFY(showsText(window->page(), u"Press F5"_s));
}

QTEST_MAIN(OnboardingWindowTest)
#include "OnboardingWindowTest.moc"
