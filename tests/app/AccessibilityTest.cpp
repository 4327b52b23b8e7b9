#include "KeyboardShortcuts/Key.h"
#include "KeyboardShortcuts/KeyEvents.h"
#include "KeyboardShortcuts/Library.h"
#include "KeyboardShortcuts/widgets/RecorderCocoa.h"
#include "history/ClipItem.h"
#include "onboarding/AccessibilityPermission.h"
#include "onboarding/widgets/OnboardingWizardView.h"
#include "overview/widgets/ClipCardView.h"
#include "overview/widgets/OverviewSettingsButton.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"

#include <QAccessible>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString spoken(QWidget* widget, QAccessible::Text text) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(text) : QString();
}

} // namespace

// What a screen reader says of the overlay's cards and buttons, the shortcut
// box and the wizard, and that the wizard needs no mouse.
class AccessibilityTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void cardsSayWhatTheyHold();
    void controlsHaveNamesAndDescriptions();
    void wizardWorksWithTheKeyboardAlone();
};

void AccessibilityTest::cardsSayWhatTheyHold() {
    ClipCardView card;
    ClipItem item{QUuid::createUuid(), 1765000000, std::nullopt,
                  TextContent{u"Meeting at noon\nRoom 4"_s}, true};
    card.setItem(item);
    card.setNumber(3);
    QCOMPARE(spoken(&card, QAccessible::Name), u"Text: Meeting at noon Room 4"_s);
    const QString description = spoken(&card, QAccessible::Description);
    QVERIFY2(description.startsWith(u"Copied "_s) && description.contains(u"Pinned"_s) &&
                 description.endsWith(u"Press 3 to paste"_s),
             qPrintable(description));
    item.isPinned = false;
    card.setItem(item);
    card.setNumber(std::nullopt);
    QVERIFY(!spoken(&card, QAccessible::Description).contains(u"Pinned"_s));
}

void AccessibilityTest::controlsHaveNamesAndDescriptions() {
    KeyboardShortcuts::RecorderCocoa recorder(std::nullopt);
    QCOMPARE(spoken(&recorder, QAccessible::Name), u"Keyboard shortcut"_s);
    QVERIFY(spoken(&recorder, QAccessible::Description).contains(u"Space"_s));
    OverviewSettingsButton settings;
    QCOMPARE(spoken(&settings, QAccessible::Name), u"Settings"_s);
}

// Tab reaches every button of every page and the shortcut box; Return
// presses the forward button wherever the focus is.
void AccessibilityTest::wizardWorksWithTheKeyboardAlone() {
    QTemporaryDir home;
    Defaults defaults(home.filePath(u"settings.json"_s));
    KeyboardShortcuts::setDefaults(&defaults);
    // Tab's physical key, as the desktop reports it: it leaves the shortcut
    // box even while it records.
    KeyboardShortcuts::setVirtualKeyOfEvent([](const QKeyEvent& event) -> std::optional<qint64> {
        if (event.key() == Qt::Key_Tab || event.key() == Qt::Key_Backtab)
            return KeyboardShortcuts::Keys::tab.rawValue;
        return std::nullopt;
    });
    AccessibilityPermission permission([] { return false; });
    bool completed = false;
    OnboardingCoordinator coordinator(permission, [&completed] { completed = true; });
    OnboardingWizardView wizard(coordinator);
    wizard.show();
    QVERIFY(QTest::qWaitForWindowActive(&wizard));
    for (int page = 0; page < 5 && !completed; ++page) {
        WizardPage* shown = wizard.page();
        QList<QWidget*> reachable;
        for (int step = 0; step < 8; ++step) {
            reachable << QApplication::focusWidget();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        for (QPushButton* button : shown->findChildren<QPushButton*>()) {
            if (!button->isVisibleTo(shown))
                continue;
            QVERIFY2(reachable.contains(button),
                     qPrintable(button->text() + u" on page "_s + QString::number(page)));
            QVERIFY(!spoken(button, QAccessible::Name).isEmpty());
        }
        if (coordinator.step() == OnboardingCoordinator::Step::shortcut) {
            auto* box = shown->findChild<KeyboardShortcuts::RecorderCocoa*>();
            QVERIFY(reachable.contains(box));
        }
        const OnboardingCoordinator::Step before = coordinator.step();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (coordinator.step() == before && before == OnboardingCoordinator::Step::accessibility)
            coordinator.next(); // Return asked the desktop; the user skips
    }
    QVERIFY(completed);
    KeyboardShortcuts::setVirtualKeyOfEvent({});
    KeyboardShortcuts::setDefaults(nullptr);
}

QTEST_MAIN(AccessibilityTest)
#include "AccessibilityTest.moc"
