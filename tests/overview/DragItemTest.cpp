#include "overview/DragItem.h"

#include "paste/ClipMimeData.h"
#include "support/TemporaryHistory.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace {

ClipItem itemWith(ClipContent content) {
    return {QUuid::createUuid(), 1, std::nullopt, std::move(content), false};
}

} // namespace

class DragItemTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init() { qputenv("TMPDIR", QFile::encodeName(m_temp.path())); }
    void imagesTravelAsOneFileWrittenOnce();
    void picturesInTheirFilesTravelByteForByte();
    void otherKinds();

private:
    QTemporaryDir m_temp;
};

void DragItemTest::imagesTravelAsOneFileWrittenOnce() {
    const ClipItem item = itemWith(ImageContent{pngBytes(3)});
    const QString path = dragImagePath(item);
    QCOMPARE(QFileInfo(path).fileName(), u"Clipboard "_s + idText(item.id).left(8) + ".png"_L1);
    QCOMPARE(QFileInfo(path).absolutePath(), m_temp.path());
    std::unique_ptr<QMimeData> first(dragItem(item));
    QCOMPARE(first->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
    QCOMPARE(first->data(u"image/png"_s), pngBytes(3));
    // A second drag reuses the file as it is.
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("marker");
    file.close();
    std::unique_ptr<QMimeData> second(dragItem(item));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), "marker"_ba);
    QCOMPARE(second->urls(), first->urls());
}

void DragItemTest::picturesInTheirFilesTravelByteForByte() {
    // As the history holds a picture: its file, not its bytes. A drag and a
    // paste read the file, whole.
    QImage image(320, 200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 7 % 256, y * 13 % 256, (x ^ y) % 256));
    const QByteArray png = pngOf(image);
    QTemporaryDir history;
    const ClipItem item = itemWith(pictureInFile(history.filePath(u"stored.png"_s), png));
    QVERIFY(!std::get<ImageContent>(item.content).holdsBytes());

    std::unique_ptr<QMimeData> drag(dragItem(item));
    QCOMPARE(drag->data(u"image/png"_s), png);
    QFile dragged(drag->urls().value(0).toLocalFile());
    QVERIFY(dragged.open(QIODevice::ReadOnly));
    QCOMPARE(dragged.readAll(), png);
    std::unique_ptr<QMimeData> pasted(mimeDataFor(item.content));
    QCOMPARE(pasted->data(u"image/png"_s), png);
}

void DragItemTest::otherKinds() {
    std::unique_ptr<QMimeData> text(dragItem(itemWith(TextContent{u"words"_s})));
    QCOMPARE(text->text(), u"words"_s);
    std::unique_ptr<QMimeData> rich(dragItem(itemWith(RichTextContent{"{\\rtf1 b}"_ba, u"b"_s})));
    QCOMPARE(rich->text(), u"b"_s);
    QCOMPARE(rich->data(u"text/rtf"_s), "{\\rtf1 b}"_ba);
    // HTML first, for the many programs that paste it formatted; here from
    // RTF as LibreOffice writes it.
    const QByteArray office =
        R"({\rtf1\ansi\deff4{\fonttbl{\f4\froman\fprq2\fcharset0 Liberation Serif;}})"
        R"({\colortbl;\red0\green0\blue0;\red201\green33\blue30;}\pard\plain plain )"
        R"({\b bold} {\i italic} {\cf2 red} {\field{\*\fldinst HYPERLINK "https://example.org/" })"
        R"({\fldrslt {\ul site}}}\par})"_ba;
    std::unique_ptr<QMimeData> formatted(
        dragItem(itemWith(RichTextContent{office, u"plain bold italic red site"_s})));
    QCOMPARE(formatted->formats().first(), u"text/html"_s);
    QTextDocument html;
    html.setHtml(formatted->html());
    QCOMPARE(html.toPlainText(), u"plain bold italic red site"_s);
    QCOMPARE(html.find(u"red"_s).charFormat().foreground().color(), QColor(201, 33, 30));
    QCOMPARE(html.find(u"site"_s).charFormat().anchorHref(), u"https://example.org/"_s);
    QVERIFY(html.find(u"bold"_s).charFormat().fontWeight() >= QFont::Bold);
    QVERIFY(html.find(u"italic"_s).charFormat().fontItalic());
    QVERIFY(!html.find(u"plain"_s).charFormat().fontItalic());
    QVERIFY(formatted->html().contains(u"charset=\"utf-8\""_s));
    const QUrl a = QUrl::fromLocalFile(u"/tmp/a"_s);
    const QUrl b = QUrl::fromLocalFile(u"/tmp/b"_s);
    std::unique_ptr<QMimeData> files(dragItem(itemWith(FilesContent{{a, b}})));
    QCOMPARE(files->urls(), QList<QUrl>{a});
    std::unique_ptr<QMimeData> none(dragItem(itemWith(FilesContent{})));
    QVERIFY(none->formats().isEmpty());
    const QUrl link(u"https://example.com/x"_s);
    std::unique_ptr<QMimeData> linkData(dragItem(itemWith(LinkContent{link})));
    QCOMPARE(linkData->urls(), QList<QUrl>{link});
    QCOMPARE(linkData->text(), u"https://example.com/x"_s);
}

QTEST_MAIN(DragItemTest)
#include "DragItemTest.moc"
