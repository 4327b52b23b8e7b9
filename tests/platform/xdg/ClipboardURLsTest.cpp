#include "platform/xdg/ClipboardURLs.h"

#include <QTest>

using namespace Qt::StringLiterals;

class ClipboardURLsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void uriListsSplitIntoFilesAndOthers();
    void gnomeCopiedFilesKeepFilesOnly();
};

void ClipboardURLsTest::uriListsSplitIntoFilesAndOthers() {
    const auto urls = ClipboardURLs::fromUriList(
        "# comment\r\nfile:///home/ann/a%20b.txt\r\nhttps://example.com/x\r\n\r\n"
        "file:///srv/c\r\nmailto:ann@example.com"_ba);
    QCOMPARE(urls.fileURLs, QList<QUrl>({QUrl::fromLocalFile(u"/home/ann/a b.txt"_s),
                                         QUrl::fromLocalFile(u"/srv/c"_s)}));
    QCOMPARE(urls.webURLs,
             QList<QUrl>({QUrl(u"https://example.com/x"_s), QUrl(u"mailto:ann@example.com"_s)}));
    // One line that is no URL spoils the list: the copy is judged by its
    // other representations instead.
    const auto spoiled = ClipboardURLs::fromUriList("file:///a\nnot a url\n"_ba);
    QVERIFY(spoiled.fileURLs.isEmpty() && spoiled.webURLs.isEmpty());
    QVERIFY(ClipboardURLs::fromUriList("relative/path"_ba).fileURLs.isEmpty());
    QVERIFY(ClipboardURLs::fromUriList(QByteArray()).fileURLs.isEmpty());

    // Files are taken as the history stores them, so that copying them again
    // gives the same clip after a restart: extra leading slashes name the
    // root, a host other than this machine or a path not from the root is no
    // file here.
    QCOMPARE(ClipboardURLs::fromUriList("file:////Server/Share/Report.pdf\r\n"
                                        "file://///srv/x\r\nfile://localhost/tmp/y"_ba)
                 .fileURLs,
             QList<QUrl>({QUrl::fromLocalFile(u"/Server/Share/Report.pdf"_s),
                          QUrl::fromLocalFile(u"/srv/x"_s), QUrl::fromLocalFile(u"/tmp/y"_s)}));
    for (const QByteArray& other : {"file:e:/x"_ba, "file://elsewhere.example/x"_ba}) {
        const auto refused = ClipboardURLs::fromUriList(other);
        QVERIFY2(refused.fileURLs.isEmpty() && refused.webURLs.isEmpty(), other.constData());
    }
}

void ClipboardURLsTest::gnomeCopiedFilesKeepFilesOnly() {
    QCOMPARE(ClipboardURLs::fromGnomeCopiedFiles("copy\nfile:///a\nfile:///b"_ba).fileURLs,
             QList<QUrl>({QUrl(u"file:///a"_s), QUrl(u"file:///b"_s)}));
    QCOMPARE(ClipboardURLs::fromGnomeCopiedFiles("cut\nfile:///a\nhttps://x.org"_ba).fileURLs,
             QList<QUrl>({QUrl(u"file:///a"_s)}));
    QVERIFY(ClipboardURLs::fromGnomeCopiedFiles("file:///a"_ba).fileURLs.isEmpty());
    QVERIFY(ClipboardURLs::fromGnomeCopiedFiles(QByteArray()).fileURLs.isEmpty());
}

QTEST_GUILESS_MAIN(ClipboardURLsTest)
#include "ClipboardURLsTest.moc"
