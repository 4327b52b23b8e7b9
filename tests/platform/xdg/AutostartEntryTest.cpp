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

QTEST_GUILESS_MAIN(AutostartEntryTest)
#include "AutostartEntryTest.moc"
