#include "preferences/Preferences.h"

#include "preferences/Defaults.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

void writeOutside(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    QVERIFY(file.commit());
}

QJsonObject readJson(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QJsonDocument::fromJson(file.readAll()).object();
}

} // namespace

class PreferencesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { QStandardPaths::setTestModeEnabled(true); }
    void readersAndDefaults();
    void historyLimitIsRepairedAndValidated_data();
    void historyLimitIsRepairedAndValidated();
    void valuesKeepTheirTypesOnDisk();
    void changedFiresForOwnWritesAndOutsideEdits();
    void unreadableSettingsAreKeptAside();
};

void PreferencesTest::readersAndDefaults() {
    QTemporaryDir dir;
    Defaults defaults(dir.filePath(u"Velloq/settings.json"_s));
    Preferences::registerGridSizeDefault(defaults);
    Preferences::registerPreferenceDefaults(defaults);
    QCOMPARE(Preferences::currentHistoryLimit(defaults), 27);
    QCOMPARE(Preferences::currentGridSize(defaults), 6);
    QCOMPARE(currentAppearance(defaults), AppAppearance::automatic);
    QVERIFY(Preferences::showsKeyHints(defaults));
    QCOMPARE(defaults.stringList(Preferences::excludedBundleIDsKey),
             Preferences::builtInExcludedBundleIDs());
    QVERIFY(!defaults.boolean(Preferences::onboardingShownKey));
    // Registered values live in memory only.
    QVERIFY(!QFile::exists(defaults.filePath()));
    QCOMPARE(Defaults::defaultFilePath(),
             QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                 "/Velloq/settings.json"_L1);

    // Numbers may be stored as text; other types and values out of range read
    // as the default.
    for (const auto& [stored, expected] : {std::pair{QJsonValue(7), 6},
                                           {QJsonValue(9), 9},
                                           {QJsonValue(u"9"_s), 9},
                                           {QJsonValue(true), 6}}) {
        defaults.set(Preferences::gridSizeKey, stored);
        QCOMPARE(Preferences::currentGridSize(defaults), expected);
    }
    const std::pair<QJsonValue, AppAppearance> appearances[] = {
        {u"dark"_s, AppAppearance::dark},
        {u"light"_s, AppAppearance::light},
        {u"Dark"_s, AppAppearance::automatic},
        {3, AppAppearance::automatic},
    };
    for (const auto& [stored, expected] : appearances) {
        defaults.set(Preferences::appearanceKey, stored);
        QCOMPARE(currentAppearance(defaults), expected);
    }
    QStringList names;
    for (AppAppearance appearance : allAppearances())
        names.append(appearanceName(appearance));
    QCOMPARE(names, QStringList({u"auto"_s, u"light"_s, u"dark"_s}));
    defaults.set(Preferences::showKeyHintsKey, false);
    QVERIFY(!Preferences::showsKeyHints(defaults));
    defaults.set(Preferences::showKeyHintsKey, u"not a boolean"_s);
    QVERIFY(!Preferences::showsKeyHints(defaults));
}

void PreferencesTest::historyLimitIsRepairedAndValidated_data() {
    QTest::addColumn<QJsonValue>("stored");
    QTest::addColumn<QJsonValue>("afterRepair");
    QTest::addColumn<int>("limit");
    QTest::newRow("50 is repaired") << QJsonValue(50) << QJsonValue(27) << 27;
    QTest::newRow("18 stays") << QJsonValue(18) << QJsonValue(18) << 18;
    QTest::newRow("9 stays") << QJsonValue(9) << QJsonValue(9) << 9;
    QTest::newRow("0 is repaired") << QJsonValue(0) << QJsonValue(27) << 27;
    QTest::newRow("18.7 reads as 18") << QJsonValue(18.7) << QJsonValue(18.7) << 18;
    QTest::newRow("numeric text") << QJsonValue(u"9"_s) << QJsonValue(u"9"_s) << 9;
    QTest::newRow("text that is no number") << QJsonValue(u"many"_s) << QJsonValue(u"many"_s) << 27;
    QTest::newRow("a list") << QJsonValue(QJsonArray{9}) << QJsonValue(QJsonArray{9}) << 27;
}

void PreferencesTest::historyLimitIsRepairedAndValidated() {
    QFETCH(QJsonValue, stored);
    QFETCH(QJsonValue, afterRepair);
    QFETCH(int, limit);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"settings.json"_s);
    writeOutside(path, QJsonDocument(QJsonObject{{Preferences::historyLimitKey, stored}}).toJson());
    Defaults defaults(path);
    Preferences::registerPreferenceDefaults(defaults);
    QCOMPARE(defaults.value(Preferences::historyLimitKey), afterRepair);
    QCOMPARE(readJson(path).value(Preferences::historyLimitKey), afterRepair);
    QCOMPARE(Preferences::currentHistoryLimit(defaults), limit);
}

void PreferencesTest::valuesKeepTheirTypesOnDisk() {
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"config/Velloq"_s);
    const mode_t previous = umask(0);
    {
        Defaults defaults(folder + "/settings.json"_L1);
        defaults.set(u"KeyboardShortcuts_showClipboard"_s, false);
        defaults.set(Preferences::gridSizeKey, 9);
        defaults.set(Preferences::excludedBundleIDsKey, QJsonArray{u"a"_s});
    }
    umask(previous);
    const QJsonObject stored = readJson(folder + "/settings.json"_L1);
    QVERIFY(stored.value(u"KeyboardShortcuts_showClipboard"_s).isBool());
    QCOMPARE(stored.value(Preferences::gridSizeKey), QJsonValue(9));
    QCOMPARE(stored.value(Preferences::excludedBundleIDsKey), QJsonValue(QJsonArray{u"a"_s}));
    struct stat info {};
    QCOMPARE(::stat(QFile::encodeName(folder).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0700u);
    QCOMPARE(::stat(QFile::encodeName(folder + "/settings.json"_L1).constData(), &info), 0);
    QCOMPARE(info.st_mode & 0777, 0600u);
    Defaults reopened(folder + "/settings.json"_L1);
    QCOMPARE(reopened.integer(Preferences::gridSizeKey), 9);
}

void PreferencesTest::changedFiresForOwnWritesAndOutsideEdits() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"settings.json"_s);
    Defaults defaults(path);
    QSignalSpy changed(&defaults, &Defaults::changed);
    defaults.set(u"unrelated"_s, 1);
    QCOMPARE(changed.size(), 1);
    defaults.set(u"unrelated"_s, 1);
    QCOMPARE(changed.size(), 1);
    // Our own write coming back through the file watcher is no change.
    QTest::qWait(200);
    QCOMPARE(changed.size(), 1);

    writeOutside(path, R"({"unrelated":1,"historyLimit":9})"_ba);
    QTRY_COMPARE_WITH_TIMEOUT(changed.size(), 2, 5000);
    QCOMPARE(defaults.integer(Preferences::historyLimitKey), 9);
    defaults.remove(Preferences::historyLimitKey);
    QCOMPARE(changed.size(), 3);
    QCOMPARE(readJson(path), QJsonObject({{u"unrelated"_s, 1}}));
}

void PreferencesTest::unreadableSettingsAreKeptAside() {
    QTemporaryDir dir;
    const QString path = dir.filePath(u"settings.json"_s);
    writeOutside(path, "{\"gridSize\": 9, oops"_ba);
    Defaults defaults(path);
    QCOMPARE(Preferences::currentGridSize(defaults), 6);
    defaults.set(Preferences::appearanceKey, u"dark"_s);
    const QStringList kept = QDir(dir.path()).entryList({u"settings.json.unreadable-*"_s});
    QCOMPARE(kept.size(), 1);
    QFile keptFile(dir.filePath(kept.first()));
    QVERIFY(keptFile.open(QIODevice::ReadOnly));
    QCOMPARE(keptFile.readAll(), "{\"gridSize\": 9, oops"_ba);
    QCOMPARE(readJson(path), QJsonObject({{Preferences::appearanceKey, u"dark"_s}}));

    // Special files are never read: a FIFO would hang, a device never ends.
    QVERIFY(QFile::remove(path));
    QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
    Defaults fromFifo(path);
    QCOMPARE(fromFifo.keys(), QStringList());
    QVERIFY(QFile::remove(path));
    writeOutside(path, R"({"gridSize":9})"_ba);
    Defaults running(path);
    QCOMPARE(Preferences::currentGridSize(running), 9);
    QVERIFY(QFile::remove(path) && QFile::link(u"/dev/zero"_s, path));
    QTest::qWait(300);
    QCOMPARE(Preferences::currentGridSize(running), 9);
}

QTEST_GUILESS_MAIN(PreferencesTest)
#include "PreferencesTest.moc"
