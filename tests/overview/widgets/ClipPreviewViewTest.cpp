#include "overview/widgets/ClipPreviewView.h"

#include "support/TemporaryHistory.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>

using namespace Qt::StringLiterals;

namespace {

ClipItem itemWith(ClipContent content) {
    return {QUuid::createUuid(), 1765000000, u"org.example.Editor"_s, std::move(content), false};
}

QStringList labelTexts(const QWidget& widget) {
    QStringList texts;
    for (const QLabel* label : widget.findChildren<QLabel*>())
        if (!label->text().isEmpty())
            texts.append(label->text());
    return texts;
}

} // namespace

class ClipPreviewViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void headerAndFooter();
    void bodiesByKind();
    void aPictureIsShownFromItsFile();
    void outsideTextIsNeverMarkup();
};

void ClipPreviewViewTest::headerAndFooter() {
    ClipPreviewView preview;
    preview.applicationIcon = [](const QString&) { return QIcon(); };
    preview.applicationName = [](const QString&) { return u"Text Editor"_s; };
    preview.setItem(itemWith(TextContent{u"hello"_s}));
    const QStringList texts = labelTexts(preview);
    QVERIFY(texts.contains(ClipPreviewView::footerText()));
    QVERIFY(texts.contains(ClipPreviewView::captureDateText(1765000000)));
    QVERIFY(!texts.contains(u"Text Editor"_s)); // no installed application, no name
    const QDateTime time(QDate(2026, 12, 7), QTime(15, 30));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QCOMPARE(ClipPreviewView::captureDateText(double(time.toSecsSinceEpoch())),
             u"Dec 7, 2026 at 3:30 PM"_s);

    preview.applicationIcon = [](const QString&) {
        QPixmap pixmap(24, 24);
        pixmap.fill(Qt::blue);
        return QIcon(pixmap);
    };
    preview.setItem(itemWith(TextContent{u"hello"_s}));
    QVERIFY(labelTexts(preview).contains(u"Text Editor"_s));
}

void ClipPreviewViewTest::bodiesByKind() {
    ClipPreviewView preview;
    preview.setItem(itemWith(TextContent{u"all of it"_s}));
    QCOMPARE(preview.findChild<QPlainTextEdit*>()->toPlainText(), u"all of it"_s);
    QVERIFY(preview.findChild<QPlainTextEdit*>()->isReadOnly());
    // Rich text formatted and selectable; unreadable RTF, or more than
    // is quick to lay out, in its plain form.
    preview.setItem(itemWith(RichTextContent{"{\\rtf1 a {\\b bold}}"_ba, u"a bold"_s}));
    const auto* rich = preview.findChild<QTextEdit*>();
    QVERIFY(rich && rich->isReadOnly());
    QCOMPARE(rich->toPlainText(), u"a bold"_s);
    QVERIFY(rich->textInteractionFlags() & Qt::TextSelectableByMouse);
    QCOMPARE(rich->document()->find(u"bold"_s).charFormat().fontWeight(), int(QFont::Bold));
    preview.setItem(itemWith(RichTextContent{"not rtf"_ba, u"plain form"_s}));
    QCOMPARE(preview.findChild<QPlainTextEdit*>()->toPlainText(), u"plain form"_s);
    const QString longText(150'000, u'x');
    preview.setItem(itemWith(RichTextContent{"{\\rtf1 "_ba + longText.toLatin1() + "}", longText}));
    QVERIFY(!preview.findChild<QTextEdit*>());
    QCOMPARE(preview.findChild<QPlainTextEdit*>()->toPlainText(), longText);

    preview.setItem(itemWith(ImageContent{pngBytes(2)}));
    QVERIFY(labelTexts(preview).contains(u"2 × 2"_s));
    preview.setItem(itemWith(ImageContent{"broken"_ba}));
    QCOMPARE(labelTexts(preview).size(), 2); // the date and the footer only

    preview.setItem(itemWith(LinkContent{QUrl(u"mailto:ann@example.com"_s)}));
    QVERIFY(labelTexts(preview).contains(u"mailto:ann@example.com"_s));
    preview.setItem(itemWith(FilesContent{
        {QUrl::fromLocalFile(u"/srv/a.txt"_s), QUrl::fromLocalFile(u"/srv/b/c.txt"_s)}}));
    const QStringList files = labelTexts(preview);
    QVERIFY(files.contains(u"a.txt"_s) && files.contains(u"/srv/b"_s));
}

void ClipPreviewViewTest::aPictureIsShownFromItsFile() {
    // Red on the left, blue on the right, as the history keeps it: in its
    // file, no bytes in memory.
    QImage image(640, 400, QImage::Format_RGB32);
    image.fill(Qt::red);
    for (int y = 0; y < image.height(); ++y)
        for (int x = image.width() / 2; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(0, 0, 255));
    QTemporaryDir folder;
    ClipPreviewView preview;
    preview.resize(800, 700);
    preview.setItem(itemWith(pictureInFile(folder.filePath(u"stored.png"_s), pngOf(image))));
    QVERIFY(labelTexts(preview).contains(u"640 × 400"_s));
    const auto colourAt = [&preview](double across) {
        const QImage shown = preview.grab().toImage();
        return shown.pixelColor(int(shown.width() * across), shown.height() / 2);
    };
    QTRY_COMPARE(colourAt(0.3), QColor(Qt::red));
    QCOMPARE(colourAt(0.7), QColor(Qt::blue));
}

void ClipPreviewViewTest::outsideTextIsNeverMarkup() {
    // File names, link texts and application names are shown as the
    // characters they are: markup in them would load what it names.
    const QString markup = u"<img src=\"/dev/zero\">"_s;
    ClipPreviewView preview;
    preview.applicationIcon = [](const QString&) {
        QPixmap pixmap(24, 24);
        pixmap.fill(Qt::blue);
        return QIcon(pixmap);
    };
    preview.applicationName = [&markup](const QString&) { return u"<b>Editor</b>"_s + markup; };
    const QList<ClipContent> contents{
        FilesContent{{QUrl::fromLocalFile(u"/srv/"_s + markup)}},
        FilesContent{{QUrl::fromLocalFile(u"/srv/"_s + markup), QUrl::fromLocalFile(u"/srv/b"_s)}},
        LinkContent{QUrl(u"https://example.com/"_s + markup)}, TextContent{markup}};
    for (const ClipContent& content : contents) {
        preview.setItem(itemWith(content));
        const QList<QLabel*> labels = preview.findChildren<QLabel*>();
        QVERIFY(std::ranges::any_of(labels, [](const QLabel* label) {
            return label->text().contains(u"<b>Editor</b>"_s);
        }));
        for (const QLabel* label : labels)
            QVERIFY2(label->text().isEmpty() || label->textFormat() == Qt::PlainText,
                     qPrintable(label->text()));
    }
}

QTEST_MAIN(ClipPreviewViewTest)
#include "ClipPreviewViewTest.moc"
