#include "launch/LaunchLock.h"

#include "launch/HistoryFolder.h"

#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// A lock the `velloq` command takes and the application it becomes keeps:
// whoever else looks at the history folder meanwhile finds it held, at every
// moment of the hand-over.
class LaunchLockTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void theLockIsHeldThroughoutTheHandOver();
    void onlyTheLockTakenForThisProcessIsTakenOver();
};

namespace {

bool someoneElseCanLock(const QString& path) {
    QLockFile other(path);
    other.setStaleLockTime(0);
    if (!other.tryLock(0))
        return false;
    other.unlock();
    return true;
}

} // namespace

void LaunchLockTest::theLockIsHeldThroughoutTheHandOver() {
    QTemporaryDir home;
    const QString folder = home.filePath(u"history"_s);
    const QString path = HistoryFolder::lockPath(folder);
    QVERIFY(LaunchLock::takeForApplication(folder));
    QCOMPARE(QFileInfo(folder).permissions() & QFile::ReadOther, QFile::Permissions());
    QVERIFY(!someoneElseCanLock(path));

    QVERIFY(LaunchLock::takeOver(path));
    QVERIFY(QFileInfo::exists(path));
    QVERIFY(!someoneElseCanLock(path));

    LaunchLock::removeHandedOver(path);
    QVERIFY(someoneElseCanLock(path));
}

void LaunchLockTest::onlyTheLockTakenForThisProcessIsTakenOver() {
    QTemporaryDir home;
    const QString path = HistoryFolder::lockPath(home.filePath(u"history"_s));
    QVERIFY(!LaunchLock::takeOver(path));

    QVERIFY(LaunchLock::takeForApplication(home.filePath(u"history"_s)));
    QVERIFY(!LaunchLock::takeOver(HistoryFolder::lockPath(home.filePath(u"other"_s))));
    // The hand-over is told once; a second look finds none.
    QVERIFY(!LaunchLock::takeOver(path));
    LaunchLock::release();
    QVERIFY(someoneElseCanLock(path));

    // A lock file another process wrote is never removed.
    QFile others(path);
    QVERIFY(others.open(QIODevice::WriteOnly));
    others.write("1\ninit\n\n");
    others.close();
    LaunchLock::removeHandedOver(path);
    QVERIFY(QFileInfo::exists(path));
}

QTEST_GUILESS_MAIN(LaunchLockTest)
#include "LaunchLockTest.moc"
