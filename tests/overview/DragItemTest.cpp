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

#include <memory>

using namespace Qt::StringLiterals;

namespace {

ClipItem itemWith(ClipContent content) {
    return {QUuid::createUuid(), 1, std::nullopt, std::move(content), false};
}

} // namespace

class DragItemTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void picturesTravelAsOurOwnFileInAPrivateFolder();
    void dragFilesGoWithTheirEntries();
    void picturesInTheirFilesTravelByteForByte();
    void otherKinds();

private:
    QString dragFolder() const { return m_runtime->filePath(u"velloq/drag"_s); }

    std::unique_ptr<QTemporaryDir> m_runtime;
};

void DragItemTest::init() {
    m_runtime = std::make_unique<QTemporaryDir>();
    QFile::setPermissions(m_runtime->path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
}

void DragItemTest::picturesTravelAsOurOwnFileInAPrivateFolder() {
    const ClipItem item = itemWith(ImageContent{pngBytes(3)});
    const QString path = dragImagePath(item);
    QCOMPARE(path, dragFolder() + u"/Clipboard "_s + idText(item.id).left(8) + ".png"_L1);
    std::unique_ptr<QMimeData> first(dragItem(item));
    QCOMPARE(first->urls(), QList<QUrl>{QUrl::fromLocalFile(path)});
    QCOMPARE(first->data(u"image/png"_s), pngBytes(3));
    QCOMPARE(QFileInfo(dragFolder()).permissions() & 0x0077, QFile::Permissions());

    // Whatever a file of that name holds, a drag offers the picture's bytes.
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write("planted");
    file.close();
    std::unique_ptr<QMimeData> second(dragItem(item));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), pngBytes(3));
    file.close();

    // A folder others can enter is not used: the bytes still travel.
    QVERIFY(QFile::setPermissions(dragFolder(), QFile::Permissions(0x7755)));
    std::unique_ptr<QMimeData> open(dragItem(item));
    QVERIFY(open->urls().isEmpty());
    QCOMPARE(open->data(u"image/png"_s), pngBytes(3));
}

void DragItemTest::dragFilesGoWithTheirEntries() {
    const ClipItem kept = itemWith(ImageContent{pngBytes(1)});
    const ClipItem deleted = itemWith(ImageContent{pngBytes(2)});
    std::unique_ptr<QMimeData>(dragItem(kept));
    std::unique_ptr<QMimeData>(dragItem(deleted));
    QFile other(dragFolder() + u"/notes.txt"_s);
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.close();
    removeDragImagesNotIn({kept, itemWith(TextContent{u"text"_s})});
    QVERIFY(QFileInfo::exists(dragImagePath(kept)));
    QVERIFY(!QFileInfo::exists(dragImagePath(deleted)));
    QVERIFY(other.exists()); // not Velloq's
    removeDragImagesNotIn({});
    QVERIFY(!QFileInfo::exists(dragImagePath(kept)));
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
