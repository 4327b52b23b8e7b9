#include "paste/ClipMimeData.h"

#include <QMimeData>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

class ClipMimeDataTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void plainFormOffersOnlyText();
    void picturesStayPictures();
};

// Each kind's plain form is its text, and the clipboard then offers nothing
// but text/plain, so no program can reach for the formatting.
void ClipMimeDataTest::plainFormOffersOnlyText() {
    const QList<std::pair<ClipContent, QString>> cases{
        {TextContent{u"  as typed\n"_s}, u"  as typed\n"_s},
        {RichTextContent{"{\\rtf1 {\\b Grüße} here}"_ba, u"Grüße here"_s}, u"Grüße here"_s},
        {LinkContent{QUrl(u"https://example.org/a b?q=1"_s)}, u"https://example.org/a%20b?q=1"_s},
        {FilesContent{
             {QUrl::fromLocalFile(u"/tmp/one file.txt"_s), QUrl::fromLocalFile(u"/home/ü/two"_s)}},
         u"/tmp/one file.txt\n/home/ü/two"_s},
    };
    for (const auto& [content, text] : cases) {
        const std::unique_ptr<QMimeData> data(mimeDataFor(plainForm(content)));
        QCOMPARE(data->formats(), QStringList{u"text/plain"_s});
        QCOMPARE(QString::fromUtf8(data->data(u"text/plain"_s)), text);
    }
}

// A picture has no text: its plain paste is the picture.
void ClipMimeDataTest::picturesStayPictures() {
    const ClipContent image = ImageContent("\x89PNG"_ba);
    QCOMPARE(plainForm(image), image);
}

QTEST_GUILESS_MAIN(ClipMimeDataTest)
#include "ClipMimeDataTest.moc"
