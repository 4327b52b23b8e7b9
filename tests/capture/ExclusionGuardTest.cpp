#include "capture/ExclusionGuard.h"

#include "preferences/Defaults.h"
#include "preferences/Preferences.h"

#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString editor = u"org.gnome.TextEditor"_s;
const QString terminal = u"org.gnome.Terminal"_s;
const QString keepass = u"org.keepassxc.KeePassXC"_s;
const QString bitwarden = u"com.bitwarden.desktop"_s;

// A guard with the production exclusion rule over real preferences in a
// temporary folder, and a clock the test moves.
struct Fixture {
    explicit Fixture(std::optional<QString> frontmost = editor)
        : defaults(dir.filePath(u"settings.json"_s)), clock(QDateTime::fromSecsSinceEpoch(1000)),
          guard([this](const auto& id) { return Preferences::isExcluded(defaults, id); },
                [this] { return clock; }, std::move(frontmost)) {
        Preferences::registerPreferenceDefaults(defaults);
    }
    void advance(double seconds) { clock = clock.addMSecs(qint64(seconds * 1000)); }

    QTemporaryDir dir;
    Defaults defaults;
    QDateTime clock;
    ExclusionGuard guard;
};

} // namespace

class ExclusionGuardTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void excludedApplicationsAreRefused();
    void graceSecondAfterLeavingAnExcludedApplication();
    void switchesBetweenOrdinaryApplicationsChangeNothing();
    void storedListReplacesTheBuiltInOne();
};

void ExclusionGuardTest::excludedApplicationsAreRefused() {
    Fixture f;
    QVERIFY(f.guard.shouldSkip(bitwarden));
    QVERIFY(f.guard.shouldSkip(keepass));
    QVERIFY(f.guard.shouldSkip(u"KeePassXC"_s));                // WM_CLASS of an AppImage
    QVERIFY(!f.guard.shouldSkip(u"org.keepassxc.KEEPASSXC"_s)); // compared exactly
    QVERIFY(!f.guard.shouldSkip(editor));
    QVERIFY(!f.guard.shouldSkip(std::nullopt));
    QCOMPARE(Preferences::builtInExcludedBundleIDs().mid(0, 9),
             QStringList({u"com.1password.1password"_s, u"com.agilebits.onepassword7"_s,
                          u"com.bitwarden.desktop"_s, u"com.apple.keychainaccess"_s,
                          u"com.apple.Passwords"_s, u"in.sinew.Enpass-Desktop.App"_s,
                          u"org.keepassxc.keepassxc"_s, u"me.proton.pass.electron"_s,
                          u"com.nordsec.nordpass"_s}));
}

void ExclusionGuardTest::graceSecondAfterLeavingAnExcludedApplication() {
    Fixture f(keepass); // created while the password manager is in front
    f.advance(5);
    f.guard.activated(editor);
    QCOMPARE(f.guard.lastExcludedLeftAt(), f.clock);
    const QDateTime left = f.clock;
    f.advance(0.4);
    QVERIFY(f.guard.shouldSkip(editor));
    QVERIFY(f.guard.shouldSkip(std::nullopt));
    f.advance(0.599);
    QVERIFY(f.guard.shouldSkip(editor));
    f.advance(0.001);
    QVERIFY(!f.guard.shouldSkip(editor)); // exactly one second is outside
    f.clock = left.addSecs(-3);           // clock set back
    QVERIFY(f.guard.shouldSkip(editor));

    // From one excluded application straight to another counts as leaving.
    f.clock = left.addSecs(10);
    f.guard.activated(bitwarden);
    f.guard.activated(keepass);
    f.advance(2);
    f.guard.activated(bitwarden);
    QCOMPARE(f.guard.lastExcludedLeftAt(), f.clock);
    f.advance(2);
    f.guard.activated(std::nullopt);
    QCOMPARE(f.guard.lastExcludedLeftAt(), f.clock);
}

void ExclusionGuardTest::switchesBetweenOrdinaryApplicationsChangeNothing() {
    Fixture f;
    f.guard.activated(terminal);
    f.guard.activated(std::nullopt);
    f.guard.activated(editor);
    QCOMPARE(f.guard.lastExcludedLeftAt(), std::nullopt);
    QCOMPARE(f.guard.previousBundleID(), editor);
    QVERIFY(!f.guard.shouldSkip(terminal));
}

void ExclusionGuardTest::storedListReplacesTheBuiltInOne() {
    Fixture f;
    f.defaults.set(Preferences::excludedBundleIDsKey, QJsonArray());
    QVERIFY(!f.guard.shouldSkip(bitwarden));
    f.defaults.set(Preferences::excludedBundleIDsKey, QJsonArray{terminal});
    QVERIFY(f.guard.shouldSkip(terminal));
    QVERIFY(!f.guard.shouldSkip(keepass));
    // A list that is not all text cannot be read: the built-in list applies.
    f.defaults.set(Preferences::excludedBundleIDsKey, QJsonArray{terminal, 3});
    QVERIFY(f.guard.shouldSkip(keepass));
}

QTEST_GUILESS_MAIN(ExclusionGuardTest)
#include "ExclusionGuardTest.moc"
