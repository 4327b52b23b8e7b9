#include "platform/xdg/DesktopEntries.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

class DesktopEntriesTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void windowClassesMatchLikeDesktopShells_data();
    void windowClassesMatchLikeDesktopShells();
    void earlierFoldersHideLaterOnesAndGiveIconsAndNames();
    void namesAreInTheUsersLanguage_data();
    void namesAreInTheUsersLanguage();
    void languagesAreReadLikeVelloqsOwnTexts();
    void filesThatAreNoEntriesAreSkippedWithoutWaiting();

private:
    void write(const QString& folder, const QString& relativePath, const QByteArray& text);
    QTemporaryDir m_dir;
    QString m_user;
    QString m_system;
};

void DesktopEntriesTest::init() {
    m_user = m_dir.filePath(u"user/applications"_s);
    m_system = m_dir.filePath(u"system/applications"_s);
    write(m_system, u"org.keepassxc.KeePassXC.desktop"_s,
          "[Desktop Entry]\nName=KeePassXC\nIcon=keepassxc\nStartupWMClass=keepassxc\n"_ba);
    write(m_system, u"org.gnome.TextEditor.desktop"_s,
          "[Desktop Entry]\nName=Text Editor\n[Desktop Action new]\nStartupWMClass=wrong\n"_ba);
    write(m_system, u"firefox.desktop"_s, "[Desktop Entry]\nName=Firefox\n"_ba);
    write(m_system, u"kde/org.kde.kate.desktop"_s, "[Desktop Entry]\nName=Kate\n"_ba);
    write(m_system, u"removed.desktop"_s, "[Desktop Entry]\nName=Gone\nHidden=true\n"_ba);
}

void DesktopEntriesTest::write(const QString& folder, const QString& relativePath,
                               const QByteArray& text) {
    const QString path = folder + u'/' + relativePath;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
}

void DesktopEntriesTest::windowClassesMatchLikeDesktopShells_data() {
    QTest::addColumn<QString>("instance");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("id");
    QTest::newRow("StartupWMClass equals the instance")
        << u"keepassxc"_s << u"KeePassXC"_s << u"org.keepassxc.KeePassXC"_s;
    QTest::newRow("id equals the class, ignoring case")
        << u"Navigator"_s << u"Firefox"_s << u"firefox"_s;
    QTest::newRow("last part of the id")
        << u"gnome-text-editor"_s << u"TextEditor"_s << u"org.gnome.TextEditor"_s;
    QTest::newRow("entry in a sub-folder") << u"kate"_s << u"kate"_s << u"kde-org.kde.kate"_s;
    QTest::newRow("no entry") << u"xterm"_s << u"XTerm"_s << QString();
    QTest::newRow("hidden entry") << u"removed"_s << u"Removed"_s << QString();
}

void DesktopEntriesTest::windowClassesMatchLikeDesktopShells() {
    QFETCH(QString, instance);
    QFETCH(QString, className);
    QFETCH(QString, id);
    DesktopEntries entries({m_user, m_system});
    const auto found = entries.applicationIdForWindowClass(instance, className);
    QCOMPARE(found.value_or(QString()), id);
}

void DesktopEntriesTest::earlierFoldersHideLaterOnesAndGiveIconsAndNames() {
    const QString iconFile = m_dir.filePath(u"notes.png"_s);
    QImage image(16, 16, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QVERIFY(image.save(iconFile));
    write(m_user, u"firefox.desktop"_s, "[Desktop Entry]\nName=My Firefox\nIcon=mine\n"_ba);
    write(m_user, u"org.example.Notes.desktop"_s,
          "[Desktop Entry]\nName=Notes\nIcon=" + iconFile.toUtf8() + "\n");
    write(m_user, u"org.example.Gone.desktop"_s,
          "[Desktop Entry]\nName=Gone\nIcon=/no/such/icon.png\n");
    DesktopEntries entries({m_user, m_system});
    QCOMPARE(entries.entry(u"firefox"_s)->name, u"My Firefox"_s);
    QCOMPARE(entries.entry(u"org.keepassxc.KeePassXC"_s)->icon, u"keepassxc"_s);
    QVERIFY(!entries.entry(u"removed"_s));
    QVERIFY(!entries.applicationIcon(u"org.example.Notes"_s).isNull());
    QCOMPARE(entries.applicationName(u"org.example.Notes"_s), u"Notes"_s);
    QVERIFY(entries.applicationIcon(u"org.example.Gone"_s).isNull());
    QVERIFY(entries.applicationIcon(u"org.example.Missing"_s).isNull());
    QCOMPARE(entries.applicationName(u"org.example.Missing"_s), QString());

    // What a person can choose from: by name, without helpers and links.
    write(m_user, u"helper.desktop"_s, "[Desktop Entry]\nName=Helper\nNoDisplay=true\n"_ba);
    write(m_user, u"site.desktop"_s, "[Desktop Entry]\nName=Site\nType=Link\n"_ba);
    QStringList names;
    for (const DesktopEntries::Entry& entry : DesktopEntries({m_user, m_system}).applications())
        names.append(entry.name);
    QCOMPARE(names, (QStringList{u"Gone"_s, u"Kate"_s, u"KeePassXC"_s, u"My Firefox"_s, u"Notes"_s,
                                 u"Text Editor"_s}));
}

void DesktopEntriesTest::namesAreInTheUsersLanguage_data() {
    QTest::addColumn<QStringList>("languages");
    QTest::addColumn<QStringList>("translations"); // the locales the entry has names for
    QTest::addColumn<QString>("chosen");           // empty for the untranslated name
    const QStringList serbian{u"sr"_s, u"sr@latin"_s, u"sr_RS"_s, u"sr_RS@latin"_s};
    QTest::newRow("country and modifier first")
        << QStringList{u"sr_RS.UTF-8@latin"_s} << serbian << u"sr_RS@latin"_s;
    QTest::newRow("then the country")
        << QStringList{u"sr_RS.UTF-8@latin"_s} << serbian.mid(0, 3) << u"sr_RS"_s;
    QTest::newRow("then the modifier")
        << QStringList{u"sr_RS@latin"_s} << QStringList{u"sr"_s, u"sr@latin"_s, u"sr_ME@latin"_s}
        << u"sr@latin"_s;
    QTest::newRow("then the language")
        << QStringList{u"de_DE.UTF-8"_s} << QStringList{u"de_AT"_s, u"de"_s} << u"de"_s;
    QTest::newRow("another country is no match")
        << QStringList{u"de_DE.UTF-8"_s} << QStringList{u"de_AT"_s} << QString();
    QTest::newRow("nor a modifier the user has not")
        << QStringList{u"sr_RS.UTF-8"_s} << QStringList{u"sr@latin"_s} << QString();
    QTest::newRow("only Name") << QStringList{u"de_DE.UTF-8"_s} << QStringList() << QString();
    QTest::newRow("C locale") << QStringList{u"C"_s} << QStringList{u"de"_s} << QString();
    QTest::newRow("first language first")
        << QStringList{u"pt_BR"_s, u"de"_s} << QStringList{u"de"_s, u"pt"_s} << u"pt"_s;
    QTest::newRow("a later language when the first has none")
        << QStringList{u"fr"_s, u"de_DE"_s} << QStringList{u"de"_s} << u"de"_s;
}

void DesktopEntriesTest::namesAreInTheUsersLanguage() {
    QFETCH(QStringList, languages);
    QFETCH(QStringList, translations);
    QFETCH(QString, chosen);
    QByteArray text = "[Desktop Entry]\nName=Editor\nGenericName=Text Editor\n";
    for (const QString& locale : std::as_const(translations)) {
        const QByteArray l = locale.toUtf8();
        text += "Name[" + l + "]=Editor " + l + "\nGenericName[" + l + "]=Text Editor " + l + '\n';
    }
    write(m_user, u"org.example.Editor.desktop"_s, text);
    const auto entry = DesktopEntries({m_user}, languages).entry(u"org.example.Editor"_s);
    const QString suffix = chosen.isEmpty() ? QString() : u' ' + chosen;
    QCOMPARE(entry->name, u"Editor"_s + suffix);
    QCOMPARE(entry->genericName, u"Text Editor"_s + suffix);
}

void DesktopEntriesTest::languagesAreReadLikeVelloqsOwnTexts() {
    const auto languages = [](const QHash<QByteArray, QString>& variables) {
        return DesktopEntries::userLanguages(
            [&variables](const char* name) { return variables.value(name); });
    };
    QCOMPARE(languages({}), QStringList());
    QCOMPARE(languages({{"LANG", u"de_DE.UTF-8"_s}}), QStringList{u"de_DE.UTF-8"_s});
    QCOMPARE(languages({{"LANG", u"de_DE.UTF-8"_s}, {"LC_MESSAGES", u"pt_BR.UTF-8"_s}}),
             QStringList{u"pt_BR.UTF-8"_s});
    QCOMPARE(languages({{"LC_MESSAGES", u"pt_BR.UTF-8"_s}, {"LC_ALL", u"sr_RS@latin"_s}}),
             QStringList{u"sr_RS@latin"_s});
    // $LANGUAGE's list comes first, also over the C locale, as Qt reads it.
    QCOMPARE(languages({{"LC_ALL", u"C"_s}, {"LANGUAGE", u"fr_CA:de"_s}}),
             (QStringList{u"fr_CA"_s, u"de"_s}));
    QCOMPARE(languages({{"LANG", u"de_DE"_s}, {"LANGUAGE", QString()}}), QStringList{u"de_DE"_s});
}

void DesktopEntriesTest::filesThatAreNoEntriesAreSkippedWithoutWaiting() {
    // A FIFO would block the reader for good, a file of gigabytes (sparse
    // here, one line) would fill memory: both are passed over.
    QDir().mkpath(m_user);
    QVERIFY(::mkfifo(QFile::encodeName(m_user + u"/fifo.desktop"_s).constData(), 0600) == 0);
    QFile huge(m_user + u"/huge.desktop"_s);
    QVERIFY(huge.open(QIODevice::WriteOnly));
    huge.write("[Desktop Entry]\nName=Huge\n");
    QVERIFY(huge.resize(3LL * 1024 * 1024 * 1024));
    huge.close();
    QStringList names;
    for (const DesktopEntries::Entry& entry : DesktopEntries({m_user, m_system}).applications())
        names.append(entry.name);
    QVERIFY(names.contains(u"Kate"_s) && names.contains(u"KeePassXC"_s));
    QVERIFY(!names.contains(u"Huge"_s));
}

QTEST_MAIN(DesktopEntriesTest)
#include "DesktopEntriesTest.moc"
