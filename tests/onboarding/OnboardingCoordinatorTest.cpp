#include "onboarding/OnboardingCoordinator.h"

#include "onboarding/AccessibilityPermission.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;

using Step = OnboardingCoordinator::Step;

// The wizard's state: which page opens at start, the way through the pages,
// and the permission looked at again while the wizard is open.
class OnboardingCoordinatorTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void pageAtLaunch_data();
    void pageAtLaunch();
    void pagesForwardAndBack();
    void permissionReportsChangesOnly();
    void grantOnPermissionPageRaisesAndMovesOn();
    void openingSettingsLowersTheWizardFirst();
};

void OnboardingCoordinatorTest::pageAtLaunch_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("trusted");
    QTest::addColumn<bool>("shown");
    QTest::addColumn<int>("page"); // -1: nothing opens
    const QStringList none;
    QTest::newRow("new user, allowed") << none << true << false << int(Step::welcome);
    QTest::newRow("new user, not allowed") << none << false << false << int(Step::accessibility);
    QTest::newRow("seen, allowed") << none << true << true << -1;
    QTest::newRow("seen, not allowed: every launch")
        << none << false << true << int(Step::accessibility);
    for (const bool trusted : {false, true}) {
        for (const bool shown : {false, true}) {
            const QByteArray row =
                (trusted ? "allowed"_ba : "not allowed"_ba) + (shown ? ", seen"_ba : ", new"_ba);
            QTest::newRow(("-ShowOverview, " + row).constData())
                << QStringList{u"-ShowOverview"_s} << trusted << shown << -1;
            QTest::newRow(("-SkipOnboarding, " + row).constData())
                << QStringList{u"velloq"_s, u"-SkipOnboarding"_s} << trusted << shown << -1;
        }
    }
}

void OnboardingCoordinatorTest::pageAtLaunch() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, trusted);
    QFETCH(bool, shown);
    QFETCH(int, page);
    const std::optional<Step> expected =
        page < 0 ? std::nullopt : OnboardingCoordinator::stepFromRawValue(page);
    QCOMPARE(OnboardingCoordinator::pageAtLaunch(arguments, trusted, shown), expected);
}

void OnboardingCoordinatorTest::pagesForwardAndBack() {
    bool trusted = false;
    AccessibilityPermission permission([&trusted] { return trusted; });
    int completed = 0;
    OnboardingCoordinator wizard(permission, [&completed] { ++completed; });
    QSignalSpy changes(&wizard, &OnboardingCoordinator::stepChanged);

    wizard.back(); // nothing before the welcome page
    QCOMPARE(wizard.step(), Step::welcome);
    QVERIFY(changes.isEmpty());
    wizard.next();
    QCOMPARE(wizard.step(), Step::accessibility);
    wizard.back();
    QCOMPARE(wizard.step(), Step::welcome);
    // Allowed meanwhile: the welcome page leads past the permission page,
    // asking the desktop afresh.
    trusted = true;
    wizard.next();
    QCOMPARE(wizard.step(), Step::shortcut);
    wizard.next();
    QCOMPARE(wizard.step(), Step::ready);
    QCOMPARE(completed, 0);
    wizard.next();
    QCOMPARE(completed, 1);
    QCOMPARE(wizard.step(), Step::ready);
    QCOMPARE(changes.size(), 4);
    wizard.back();
    QCOMPARE(wizard.step(), Step::shortcut);

    QCOMPARE(OnboardingCoordinator::stepFromRawValue(3), std::optional(Step::ready));
    QCOMPARE(OnboardingCoordinator::stepFromRawValue(4), std::nullopt);
    QCOMPARE(OnboardingCoordinator::stepFromRawValue(-1), std::nullopt);
}

void OnboardingCoordinatorTest::permissionReportsChangesOnly() {
    bool trusted = false;
    int asked = 0;
    AccessibilityPermission permission([&] {
        ++asked;
        return trusted;
    });
    QCOMPARE(asked, 1);
    QVERIFY(!permission.granted());
    QSignalSpy changes(&permission, &AccessibilityPermission::grantedChanged);
    permission.refresh();
    QVERIFY(changes.isEmpty());

    permission.startPolling();
    permission.startPolling(); // one loop only
    QVERIFY(permission.isPolling());
    trusted = true;
    QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 1, 3000);
    QCOMPARE(changes.first().first().toBool(), true);
    trusted = false;
    QTRY_COMPARE_WITH_TIMEOUT(changes.size(), 2, 3000);
    permission.stopPolling();
    QVERIFY(!permission.isPolling());
    const int askedWhenStopped = asked;
    QTest::qWait(AccessibilityPermission::pollMilliseconds + 300);
    QCOMPARE(asked, askedWhenStopped);
}

// A manual clock: tasks run when the test says the delay has passed.
struct ManualScheduler {
    QList<std::pair<std::chrono::milliseconds, std::function<void()>>> tasks;
    OnboardingCoordinator::Scheduler function() {
        return [this](std::chrono::milliseconds delay, std::function<void()> task) {
            tasks.append({delay, std::move(task)});
        };
    }
    void runAll() {
        const auto due = std::exchange(tasks, {});
        for (const auto& [delay, task] : due)
            task();
    }
};

void OnboardingCoordinatorTest::grantOnPermissionPageRaisesAndMovesOn() {
    bool trusted = false;
    AccessibilityPermission permission([&trusted] { return trusted; });
    OnboardingCoordinator wizard(permission, {});
    ManualScheduler clock;
    wizard.schedule = clock.function();
    int raised = 0;
    wizard.setWindow({{}, [&raised] { ++raised; }});
    const auto setTrusted = [&](bool value) {
        trusted = value;
        permission.refresh(); // what the next poll does
    };

    // Elsewhere than on the permission page a change does nothing.
    setTrusted(true);
    setTrusted(false);
    QCOMPARE(raised, 0);
    QVERIFY(clock.tasks.isEmpty());

    wizard.setStep(Step::accessibility);
    setTrusted(true);
    QCOMPARE(raised, 1);
    QCOMPARE(clock.tasks.size(), 1);
    QCOMPARE(clock.tasks.first().first, std::chrono::milliseconds(700));
    // Taken back and given again before the delay: raised each time, but
    // the page moves on once.
    setTrusted(false);
    QCOMPARE(wizard.step(), Step::accessibility);
    setTrusted(true);
    QCOMPARE(raised, 3);
    QCOMPARE(clock.tasks.size(), 1);
    clock.runAll();
    QCOMPARE(wizard.step(), Step::shortcut);

    // Left by hand before the delay: the late task does not move the
    // wizard on from the page the user went to, nor from a later visit.
    wizard.back();
    setTrusted(false);
    setTrusted(true);
    QCOMPARE(clock.tasks.size(), 1);
    wizard.next();
    wizard.back();
    clock.runAll();
    QCOMPARE(wizard.step(), Step::accessibility);
}

void OnboardingCoordinatorTest::openingSettingsLowersTheWizardFirst() {
    AccessibilityPermission permission([] { return false; });
    OnboardingCoordinator wizard(permission, {});
    QStringList calls;
    wizard.openAccessibilitySettings(); // no window, no request: nothing happens
    wizard.setWindow({[&calls] { calls << u"lower"_s; }, [&calls] { calls << u"raise"_s; }});
    wizard.requestAccess = [&calls] { calls << u"request"_s; };
    wizard.openAccessibilitySettings();
    QCOMPARE(calls, QStringList({u"lower"_s, u"request"_s}));
}

QTEST_GUILESS_MAIN(OnboardingCoordinatorTest)
#include "OnboardingCoordinatorTest.moc"
