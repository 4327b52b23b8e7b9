#include "platform/xdg/AutostartEntry.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The login entry: written with a quoted program path, read back as the
// desktop reads it (switched off by Hidden or the GNOME key), removed, and
// failures reported rather than taken for success.
class AutostartEntryTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void registersReadsBackAndRemoves();
    void failuresAreReported();
    void isTheApplicationsEntryWithThisProgram();
    void entryOfEarlierVersionsCounts();
};

void AutostartEntryTest::registersReadsBackAndRemoves() {
    QTemporaryDir home;
    const QString program = home.filePath(u"my apps/velloq \"$HOME\" 100%"_s);
    const AutostartEntry entry(home.filePath(u"config/autostart"_s), program);
    QCOMPARE(entry.status(), AutostartEntry::Status::notRegistered);
    QVERIFY(entry.unregisterEntry()); // nothing to remove is no failure
    QVERIFY(entry.registerEntry());
    QCOMPARE(entry.status(), AutostartEntry::Status::enabled);
    QFile file(entry.path());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    const QString quoted = home.filePath(u"my apps/velloq \\\\\"\\\\$HOME\\\\\" 100%%"_s);
    QVERIFY2(text.contains(u"\nExec=\""_s + quoted + u"\"\n"_s), qPrintable(text));
    QVERIFY(text.startsWith(u"[Desktop Entry]\n"_s));
    file.close();

    for (const QString& off : {u"Hidden=true"_s, u"X-GNOME-Autostart-enabled = false"_s}) {
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write((u"[Desktop Entry]\nExec=velloq\n"_s + off + u'\n').toUtf8());
        file.close();
        QCOMPARE(entry.status(), AutostartEntry::Status::notRegistered);
    }
    QVERIFY(entry.registerEntry()); // replaces the switched-off entry
    QCOMPARE(entry.status(), AutostartEntry::Status::enabled);
    QVERIFY(entry.unregisterEntry());
    QVERIFY(!QFile::exists(entry.path()));
    QCOMPARE(entry.status(), AutostartEntry::Status::notRegistered);
}

void AutostartEntryTest::failuresAreReported() {
    QTemporaryDir home;
    // The autostart folder's place is taken by a file.
    QFile blocker(home.filePath(u"autostart"_s));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const AutostartEntry blocked(blocker.fileName(), u"/usr/bin/velloq"_s);
    QVERIFY(!blocked.registerEntry());
    QCOMPARE(blocked.status(), AutostartEntry::Status::notRegistered);

    const AutostartEntry unknown(home.filePath(u"autostart2"_s), QString());
    QCOMPARE(unknown.status(), AutostartEntry::Status::notFound);
    QVERIFY(!unknown.registerEntry());
    QVERIFY(!QFile::exists(unknown.path()));
}

// What the desktop starts at login is the installed application's entry
// (name, icon, window class, the Show Clipboard action), with this program
// in both commands and a delay so the tray exists first.
void AutostartEntryTest::isTheApplicationsEntryWithThisProgram() {
    const QString application = AutostartEntry::applicationEntry();
    QVERIFY(application.contains(u"\nIcon=" VELLOQ_APP_ID "\n"_s));
    const QString text = AutostartEntry::entryText(u"/opt/velloq/bin/velloq"_s);
    const qsizetype action = text.indexOf(u"[Desktop Action ShowClipboard]"_s);
    QVERIFY2(action > 0, qPrintable(text));
    const QString main = text.left(action);
    QVERIFY2(main.contains(u"\nExec=\"/opt/velloq/bin/velloq\"\n"_s), qPrintable(text));
    QVERIFY(main.contains(u"\nX-GNOME-Autostart-Delay=3\n"_s));
    QVERIFY(main.contains(u"\nStartupWMClass=" VELLOQ_APP_ID "\n"_s));
    QVERIFY(text.mid(action).contains(u"\nExec=\"/opt/velloq/bin/velloq\" show\n"_s));
    QVERIFY(!text.contains(u"Exec=velloq"_s));
    // Everything else is the installed entry's, line for line.
    QStringList rest = text.split(u'\n');
    rest.removeIf([](const QString& line) {
        return line.startsWith(u"Exec="_s) || line.startsWith(u"X-GNOME-Autostart"_s) ||
               line.isEmpty();
    });
    QStringList expected = application.split(u'\n');
    expected.removeIf(
        [](const QString& line) { return line.startsWith(u"Exec="_s) || line.isEmpty(); });
    QCOMPARE(rest, expected);
}

void AutostartEntryTest::entryOfEarlierVersionsCounts() {
    QTemporaryDir home;
    const AutostartEntry entry(home.path(), u"/usr/bin/velloq"_s);
    QFile earlier(home.filePath(QLatin1StringView(AutostartEntry::earlierFileName)));
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.write("[Desktop Entry]\nType=Application\nExec=/usr/bin/velloq\n");
    earlier.close();
    QCOMPARE(entry.status(), AutostartEntry::Status::enabled);
    QVERIFY(entry.registerEntry()); // written under the new name, the old one gone
    QVERIFY(QFile::exists(entry.path()) && !earlier.exists());
    QVERIFY(earlier.open(QIODevice::WriteOnly));
    earlier.close();
    QVERIFY(entry.unregisterEntry()); // switching it off removes both
    QVERIFY(!QFile::exists(entry.path()) && !earlier.exists());
    QCOMPARE(entry.status(), AutostartEntry::Status::notRegistered);
}

QTEST_GUILESS_MAIN(AutostartEntryTest)
#include "AutostartEntryTest.moc"
