#include "app/AppServices.h"

#include "KeyboardShortcuts/Library.h"
#include "capture/ExclusionGuard.h"
#include "history/ClipStore.h"
#include "overview/OverviewModel.h"
#include "overview/OverviewPanelController.h"
#include "preferences/Defaults.h"
#include "preferences/Preferences.h"
#include "settings/SettingsWindowController.h"
#include "support/FakePasteboard.h"
#include "support/RecordingHotKeys.h"
#include "support/TemporaryHistory.h"

#include <QDir>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The services over a fake clipboard and desktop, with real preferences and
// a real history in temporary folders.
struct Fixture {
    Fixture() : defaults(config.filePath(u"settings.json"_s)) {
        pasteboard = std::make_shared<FakePasteboard>();
        AppServices::Platform platform;
        platform.pasteboard = pasteboard;
        platform.frontmostBundleID = [this] { return front; };
        platform.frontmostPID = [this] { return frontPID; };
        platform.observeActivations = [this](auto handler) { activate = handler; };
        platform.write = [this](const ClipContent& content) {
            pasteboard->copy(textSnapshot(searchText(content)));
        };
        platform.hasAccess = [] { return true; };
        platform.requestAccess = [] {};
        platform.sendCommandV = [this](qint32 pid) { pastedInto.append(pid); };
        services = std::make_unique<AppServices>(
            defaults, std::make_unique<ClipStore>(history.path()), platform);
    }
    void copy(const QString& text) {
        pasteboard->copy(textSnapshot(text));
        services->watcher().handleTick();
    }

    QTemporaryDir config;
    TemporaryHistory history;
    Defaults defaults;
    std::shared_ptr<FakePasteboard> pasteboard;
    std::optional<QString> front = u"org.gnome.TextEditor"_s;
    std::optional<qint32> frontPID = 99;
    QList<qint32> pastedInto;
    std::function<void(const std::optional<QString>&)> activate;
    std::unique_ptr<AppServices> services;
};

} // namespace

class AppServicesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QStandardPaths::setTestModeEnabled(true); }
    void copiesAreStoredUnlessExcluded();
    void secretShapedCopiesAreLeftOutAndSaidSo();
    void copiesTakenBackGoUnlessPicked();
    void unsavedCopiesAreReportedOnceAndSavedLater();
    void sizeAndHistoryLimitsFollowThePreferences();
    void pasteTargetsTheLastOtherApplication();
    void underATestHostOnlyCapturingStops();
};

void AppServicesTest::copiesAreStoredUnlessExcluded() {
    Fixture f;
    QVERIFY(f.services->watcher().isStarted());
    f.copy(u"from the editor"_s);
    QCOMPARE(f.services->store().items().size(), 1);
    QCOMPARE(f.services->store().items().first().sourceBundleID, u"org.gnome.TextEditor"_s);

    f.front = u"org.keepassxc.KeePassXC"_s;
    f.activate(f.front);
    f.copy(u"password"_s);
    f.front = u"org.gnome.TextEditor"_s;
    f.activate(f.front);
    f.copy(u"right after leaving the password manager"_s);
    QCOMPARE(f.services->store().items().size(), 1);
    QVERIFY(f.services->exclusion().lastExcludedLeftAt().has_value());
}

// A token copied from a terminal is not kept; the next opening of the
// overlay says so once. With the setting off it is kept like any copy.
void AppServicesTest::secretShapedCopiesAreLeftOutAndSaidSo() {
    Fixture f;
    const QString token = u"ghp_"_s + QString(36, u'a');
    f.copy(u"  "_s + token + u"\n"_s);
    QVERIFY(f.services->store().items().isEmpty());
    OverviewModel& model = f.services->overviewModel();
    model.prepareForShow();
    QCOMPARE(model.toast(), std::optional(OverviewModel::secretNotKeptToast()));
    model.prepareForShow();
    QCOMPARE(model.toast(), std::nullopt);

    f.defaults.set(Preferences::skipSecretShapesKey, false);
    f.copy(token);
    QCOMPARE(f.services->store().items().size(), 1);
    model.prepareForShow();
    QCOMPARE(model.toast(), std::nullopt);
}

// A password tool empties the clipboard after its copy; a pick makes a copy
// the user's own at once.
void AppServicesTest::copiesTakenBackGoUnlessPicked() {
    Fixture f;
    f.copy(u"hunter2"_s);
    QCOMPARE(f.services->store().items().size(), 1);
    f.copy(QString());
    QVERIFY(f.services->store().items().isEmpty());

    f.copy(u"kept"_s);
    QVERIFY(ClipStore(f.history.path()).items().isEmpty());
    f.services->pasteService().paste(f.services->store().items().first());
    QCOMPARE(ClipStore(f.history.path()).items().size(), 1);
    f.copy(QString());
    QCOMPARE(f.services->store().items().size(), 1);
}

void AppServicesTest::unsavedCopiesAreReportedOnceAndSavedLater() {
    Fixture f;
    // Of two lines, so no copy waits to be written.
    const auto copy = [&](const QString& text) { f.copy(text + u"\nsecond line"_s); };
    QSignalSpy reports(f.services.get(), &AppServices::writeFailed);
    copy(u"saved"_s);
    QVERIFY(QFile::remove(f.history.historyFile()));
    QVERIFY(QDir().mkdir(f.history.historyFile()));
    copy(u"not saved"_s);
    copy(u"not saved either"_s);
    QCOMPARE(reports.size(), 1);
    QVERIFY(reports[0][0].toString().contains(u"history file"_s));
    QVERIFY(QDir().rmdir(f.history.historyFile()));
    copy(u"saved again"_s);
    QCOMPARE(ClipStore(f.history.path()).items().size(), 4);
}

void AppServicesTest::sizeAndHistoryLimitsFollowThePreferences() {
    Fixture f;
    f.defaults.set(Preferences::maximumClipMegabytesKey, 1);
    f.copy(QString(1024 * 1024 + 1, u'x'));
    QVERIFY(f.services->store().items().isEmpty());
    f.copy(QString(1024 * 1024, u'x'));
    QCOMPARE(f.services->store().items().size(), 1);
    // A limit outside 1 to 1024 MB reads as the default.
    f.defaults.set(Preferences::maximumClipMegabytesKey, 0);
    QCOMPARE(Preferences::maximumClipBytes(f.defaults), 32LL << 20);

    for (int i = 0; i < 19; ++i)
        f.copy(u"copy %1"_s.arg(i));
    QCOMPARE(f.services->store().items().size(), 20);
    f.defaults.set(Preferences::historyLimitKey, 9);
    QCOMPARE(f.services->store().limit(), 9);
    QCOMPARE(f.services->store().items().size(), 9);
    f.defaults.set(Preferences::historyLimitKey, 50); // not allowed: reads as 27
    QCOMPARE(f.services->store().limit(), 27);
}

void AppServicesTest::pasteTargetsTheLastOtherApplication() {
    Fixture f;
    f.copy(u"clip"_s); // the tick also remembers process 99 as the last other one
    const ClipItem item = f.services->store().items().first();
    f.frontPID = 7;
    f.services->pasteService().paste(item);
    f.frontPID.reset(); // Velloq itself came to the front
    f.services->pasteService().paste(item);
    QCOMPARE(f.pastedInto, QList<qint32>({7, 99}));
    // Our own writes are not captured again.
    f.services->watcher().handleTick();
    QCOMPARE(f.services->store().items().size(), 1);
    QCOMPARE(f.pasteboard->snapshotCalls, 1);
}

void AppServicesTest::underATestHostOnlyCapturingStops() {
    RecordingHotKeys hotKeys;
    KeyboardShortcuts::setHotKeyPlatform(&hotKeys);
    const auto detach = qScopeGuard([] { KeyboardShortcuts::setHotKeyPlatform(nullptr); });
    qputenv(AppServices::testHostVariable, "1");
    Fixture f;
    qunsetenv(AppServices::testHostVariable);
    QVERIFY(!f.services->watcher().isStarted());
    QCOMPARE(f.services->store().limit(), 27);
    // The shortcut keeps its default but grabs nothing under a test host.
    QCOMPARE(KeyboardShortcuts::getShortcut(Preferences::showClipboardShortcut()),
             KeyboardShortcuts::Shortcut::fromStored(9, 0x300));
    QVERIFY(hotKeys.grabbed.isEmpty());

    OverviewModel& model = f.services->overviewModel();
    f.services->store().add(textClip(u"older"_s), std::nullopt, 1765000000);
    f.services->store().add(textClip(u"newer"_s), std::nullopt, 1765000001);
    // The model follows the store; the page size is read at each showing.
    QCOMPARE(model.items().size(), 2);
    f.defaults.set(Preferences::gridSizeKey, 9);
    f.services->overview().show();
    QCOMPARE(model.gridSize(), 9);
    QCOMPARE(model.shownCount(), 1);
    // Without a window, a pick still pastes after the short delay, into the
    // application in front, and is not captured again.
    QVERIFY(model.pickNumber(2));
    QTRY_COMPARE(f.pastedInto, QList<qint32>{99});
    QCOMPARE(f.pasteboard->contents.string, std::optional(u"older"_s));
    f.services->watcher().handleTick();
    QCOMPARE(f.services->store().items().size(), 2);

    // The overlay's settings button opens the settings window.
    QVERIFY(!f.services->settings().window());
    model.onOpenSettings();
    QVERIFY(f.services->settings().window() && f.services->settings().window()->isVisible());
}

QTEST_MAIN(AppServicesTest)
#include "AppServicesTest.moc"
