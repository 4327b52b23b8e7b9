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

QTEST_GUILESS_MAIN(OnboardingCoordinatorTest)
#include "OnboardingCoordinatorTest.moc"
