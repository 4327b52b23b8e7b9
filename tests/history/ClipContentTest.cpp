#include "history/ClipContent.h"

#include "history/ClipItem.h"
#include "support/TemporaryHistory.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

class ClipContentTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void contentHashFeedsTagAndPayload_data();
    void contentHashFeedsTagAndPayload();
    void lookalikesStayApartAndEqualityIsStructural();
    void searchTextPerKind();
    void aPictureInItsFileIsThePictureItsBytesAre();
};

void ClipContentTest::contentHashFeedsTagAndPayload_data() {
    QTest::addColumn<ClipContent>("content");
    QTest::addColumn<QByteArray>("sha256");
    QTest::newRow("text") << ClipContent(TextContent{u"hello"_s})
                          << "a2d9b763c3eb110c811805a4b719c57549cb1173d5e65bab92c804617af46907"_ba;
    QTest::newRow("rich text")
        << ClipContent(RichTextContent{"{\\rtf1 x}"_ba, u"x"_s})
        << "027163668e6acffdc4158c441c7ca14ca2f3f7c2c794153834fa2c375eff42ff"_ba;
    QTest::newRow("files, path with a space")
        << ClipContent(
               FilesContent{{QUrl::fromLocalFile(u"/tmp/a b"_s), QUrl::fromLocalFile(u"/tmp/c"_s)}})
        << "1ce91f661ca7e6406d98a18bb82e8e25350ac974b2e8fbbd7f4942dcea829de2"_ba;
    QTest::newRow("no files")
        << ClipContent(FilesContent{})
        << "252f10c83610ebca1a059c0bae8255eba2f95be4d1d7bcfa89d7248a82d9f111"_ba;
    QTest::newRow("link, encoded form")
        << ClipContent(LinkContent{QUrl(u"https://example.com/a b"_s)})
        << "1d5acdd840d814e779c364ecabea6b8b10dd9d0966fece610105d001c180ffe4"_ba;
}

void ClipContentTest::contentHashFeedsTagAndPayload() {
    QFETCH(ClipContent, content);
    QFETCH(QByteArray, sha256);
    QCOMPARE(contentHash(content).toHex(), sha256);
}

void ClipContentTest::lookalikesStayApartAndEqualityIsStructural() {
    // Text is hashed untrimmed.
    QVERIFY(contentHash(TextContent{u"a"_s}) != contentHash(TextContent{u"a "_s}));
    // The zero byte keeps "ab"+"c" apart from "a"+"bc".
    QVERIFY(contentHash(RichTextContent{"ab"_ba, u"c"_s}) !=
            contentHash(RichTextContent{"a"_ba, u"bc"_s}));
    QVERIFY(contentHash(RichTextContent{"x"_ba, u"one"_s}) !=
            contentHash(RichTextContent{"x"_ba, u"two"_s}));
    const QUrl a = QUrl::fromLocalFile(u"/a"_s);
    const QUrl b = QUrl::fromLocalFile(u"/b"_s);
    QVERIFY(contentHash(FilesContent{{a, b}}) != contentHash(FilesContent{{b, a}}));
    // The tag keeps a text apart from a link with the same characters.
    QVERIFY(contentHash(TextContent{u"https://x.org"_s}) !=
            contentHash(LinkContent{QUrl(u"https://x.org"_s)}));
    QVERIFY(contentHash(ImageContent{"\x89PNG"_ba}) != contentHash(TextContent{u"\x89PNG"_s}));
    // A link is what it reads back as: a saved "#a#b" comes back as "#a%23b".
    QCOMPARE(LinkContent{QUrl(u"https://x.org/#a#b"_s)},
             LinkContent{QUrl(u"https://x.org/#a%23b"_s)});
    QVERIFY(LinkContent{QUrl(u"https://x.org/a"_s)} != LinkContent{QUrl(u"https://x.org/b"_s)});

    // Equality and hashing look at every member.
    const ClipContent text = TextContent{u"same"_s};
    QCOMPARE(text, ClipContent(TextContent{u"same"_s}));
    QVERIFY(text != ClipContent(TextContent{u"other"_s}));
    QCOMPARE(qHash(text, 7), qHash(ClipContent(TextContent{u"same"_s}), 7));

    const ClipItem item{QUuid::createUuid(), 10.5, u"org.example"_s, text, true};
    ClipItem copy = item;
    QCOMPARE(copy, item);
    QCOMPARE(qHash(copy), qHash(item));
    copy.sourceBundleID.reset();
    QVERIFY(copy != item);
    copy = item;
    copy.isPinned = false;
    QVERIFY(copy != item);

    QSet<ClipItem> set{item, copy, item};
    QCOMPARE(set.size(), 2);
}

void ClipContentTest::searchTextPerKind() {
    QCOMPARE(searchText(TextContent{u" spaced "_s}), u" spaced "_s);
    QCOMPARE(searchText(RichTextContent{"{\\rtf1 b}"_ba, u"plain"_s}), u"plain"_s);
    QCOMPARE(searchText(ImageContent{"png"_ba}), QString());
    const FilesContent files{{QUrl::fromLocalFile(u"/home/ann/Reports/q1.pdf"_s),
                              QUrl::fromLocalFile(u"/home/ann/Photos/"_s),
                              QUrl::fromLocalFile(u"/"_s)}};
    QCOMPARE(searchText(files), u"q1.pdf\nPhotos\n/"_s);
    QCOMPARE(searchText(LinkContent{QUrl(u"https://example.com/a b"_s)}),
             u"https://example.com/a%20b"_s);
}

namespace {

// A PNG's header for `width` × `height`, then `tail` bytes of noise: enough
// for everything that does not decode it.
QByteArray pngLike(quint32 width, quint32 height, qsizetype tail) {
    QByteArray bytes = pngClaiming(width, height);
    QRandomGenerator generator(width);
    for (qsizetype i = 0; i < tail; ++i)
        bytes.append(char(generator.bounded(256)));
    return bytes;
}

} // namespace

void ClipContentTest::aPictureInItsFileIsThePictureItsBytesAre() {
    // Over three megabytes, so that its hash is read from the file in
    // several pieces.
    const QByteArray bytes = pngLike(1792, 1024, 3 * 1024 * 1024 + 17);
    QTemporaryDir folder;
    const QString path = folder.filePath(u"picture.png"_s);
    const ImageContent held(bytes);
    const ImageContent stored = pictureInFile(path, bytes);
    const ImageContent loaded = ImageContent::inFile(path, bytes.size(), bytes.first(24));
    for (const ImageContent& picture : {stored, loaded}) {
        QVERIFY(!picture.holdsBytes());
        QCOMPARE(picture.pixelSize(), QSize(1792, 1024));
        QCOMPARE(picture.byteSize(), bytes.size());
        QCOMPARE(picture.contentHash(), held.contentHash());
        QVERIFY(picture == held);
        QCOMPARE(picture.png(), bytes);
        QCOMPARE(picture.withBytes().png(), bytes);
        QVERIFY(picture.withBytes().holdsBytes());
    }
    QCOMPARE(contentHash(loaded), contentHash(held));
    // Same size, one byte apart: another picture.
    QByteArray other = bytes;
    other[other.size() / 2] = char(other[other.size() / 2] ^ 1);
    QVERIFY(ImageContent(other) != loaded);

    // Kept bytes outlive the file; a file's picture does not.
    const ImageContent kept = loaded.withBytes();
    QVERIFY(QFile::remove(path));
    QCOMPARE(kept.png(), bytes);
    QVERIFY(loaded.png().isEmpty());

    QCOMPARE(ImageContent::pngPixelSize(bytes.first(23)), QSize());
    QCOMPARE(ImageContent::pngPixelSize(pngLike(0, 5, 0)), QSize());
    QCOMPARE(ImageContent::pngPixelSize(pngLike(0x80000000u, 5, 0)), QSize());
    QCOMPARE(ImageContent::pngPixelSize("GIF89a" + bytes.sliced(6, 18)), QSize());
}

QTEST_GUILESS_MAIN(ClipContentTest)
#include "ClipContentTest.moc"
