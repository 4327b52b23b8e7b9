#include "overview/widgets/ClipCardView.h"

#include "overview/widgets/CardImages.h"
#include "overview/widgets/FileThumbnailView.h"
#include "style/Symbols.h"
#include "support/TemporaryHistory.h"

#include <QApplication>
#include <QDataStream>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

using namespace Qt::StringLiterals;

namespace {

ClipItem itemWith(ClipContent content, bool pinned = false) {
    return {QUuid::createUuid(), 1765000000, u"org.example.Editor"_s, std::move(content), pinned};
}

QImage render(ClipCardView& card) {
    card.resize(420, 300);
    return card.grab().toImage();
}

} // namespace

class ClipCardViewTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void symbolsExistForEveryKind();
    void selectionAndBadgeChangeThePicture();
    void longTextStaysInsideTheCard();
    void missingApplicationAndBrokenImageLeaveEmptyStates();
    void fileThumbnailsLoadOffTheMainThread();
    void hugePicturesAreRefusedAndLargePhotosShown();
    void selectionAnimatesOnScreen();
    void aPictureFoundByItsTextSaysSo();
};

void ClipCardViewTest::symbolsExistForEveryKind() {
    for (const QString& name : {u"text.alignleft"_s, u"photo"_s, u"doc"_s, u"link"_s, u"pin.fill"_s,
                                u"gearshape"_s, u"magnifyingglass"_s}) {
        QVERIFY2(Symbols::exists(name), qPrintable(name));
        const QImage symbol = Symbols::pixmap(name, 24, Qt::red).toImage();
        QCOMPARE(symbol.size(), QSize(24, 24));
        bool tinted = false;
        for (int y = 0; y < 24 && !tinted; ++y)
            for (int x = 0; x < 24 && !tinted; ++x)
                tinted =
                    symbol.pixelColor(x, y).alpha() > 200 && symbol.pixelColor(x, y).red() > 200;
        QVERIFY2(tinted, qPrintable(name));
    }
    QVERIFY(Symbols::pixmap(u"no.such.symbol"_s, 24, Qt::red).isNull());
}

void ClipCardViewTest::selectionAndBadgeChangeThePicture() {
    ClipCardView card;
    card.setItem(itemWith(TextContent{u"hello"_s}));
    const QImage plain = render(card);
    card.setSelected(true);
    const QImage selected = render(card);
    QVERIFY(selected != plain);
    card.setSelected(false);
    QCOMPARE(render(card), plain);
    card.setNumber(3);
    QVERIFY(render(card) != plain);
    card.setNumber(std::nullopt);
    QCOMPARE(render(card), plain);
    card.setItem(itemWith(TextContent{u"hello"_s}, true));
    QVERIFY(render(card) != plain); // the pin mark
}

void ClipCardViewTest::aPictureFoundByItsTextSaysSo() {
    ClipCardView picture;
    picture.setItem(itemWith(ImageContent{pngBytes(64)}));
    QTRY_VERIFY(!picture.image().isNull());
    const QImage plain = render(picture);
    picture.setMatchedQuery(u"invoice"_s);
    QVERIFY(picture.accessibleDescription().contains(u"“invoice” is in the picture’s text"_s));
    QVERIFY(render(picture) != plain);
    picture.setMatchedQuery({});
    QCOMPARE(render(picture), plain);
    // Text is found by what it shows anyway.
    ClipCardView text;
    text.setItem(itemWith(TextContent{u"invoice"_s}));
    text.setMatchedQuery(u"invoice"_s);
    QVERIFY(text.matchNote().isEmpty());
}

void ClipCardViewTest::longTextStaysInsideTheCard() {
    ClipCardView card;
    card.setItem(itemWith(TextContent{QString(u"word "_s).repeated(5000)}));
    const QImage image = render(card);
    // Nothing is drawn in the margin outside the card.
    for (int x = 0; x < image.width(); ++x)
        QCOMPARE(image.pixelColor(x, image.height() - 1).alpha(), 0);
}

void ClipCardViewTest::missingApplicationAndBrokenImageLeaveEmptyStates() {
    ClipCardView withIcon;
    withIcon.applicationIcon = [](const QString&) {
        QPixmap pixmap(20, 20);
        pixmap.fill(Qt::magenta);
        return QIcon(pixmap);
    };
    ClipCardView withoutIcon;
    withoutIcon.applicationIcon = [](const QString&) { return QIcon(); };
    const ClipItem item = itemWith(ImageContent{"not a png"_ba});
    withIcon.setItem(item);
    withoutIcon.setItem(item);
    QVERIFY(withoutIcon.image().isNull());
    QVERIFY(render(withIcon) != render(withoutIcon));

    ClipCardView empty;
    empty.setItem(item);
    ClipCardView blank;
    blank.setItem(itemWith(TextContent{QString()}));
    blank.setItem(
        ClipItem{item.id, item.capturedAt, item.sourceBundleID, ImageContent{QByteArray()}, false});
    QCOMPARE(render(empty), render(blank)); // an undecodable image draws nothing

    // Decoded off the main thread: the card has its picture a moment later.
    ClipCardView picture;
    picture.setItem(itemWith(ImageContent{pngBytes(5)}));
    QVERIFY(picture.image().isNull());
    QTRY_VERIFY(!picture.image().isNull());
}

void ClipCardViewTest::fileThumbnailsLoadOffTheMainThread() {
    ClipCardView card;
    card.resize(420, 300);
    QThread* loadedOn = nullptr;
    card.fileThumbnail()->loader = [&loadedOn](const QUrl&, int pixelSide) {
        loadedOn = QThread::currentThread();
        QImage image(pixelSide, pixelSide / 2, QImage::Format_RGB32);
        image.fill(Qt::green);
        return image;
    };
    QSignalSpy loaded(card.fileThumbnail(), &FileThumbnailView::thumbnailLoaded);
    const QUrl file = QUrl::fromLocalFile(u"/tmp/holiday.jpg"_s);
    card.setItem(itemWith(FilesContent{{file}}));
    QVERIFY(card.fileThumbnail()->isVisibleTo(&card));
    QVERIFY(!card.fileThumbnail()->thumbnail().has_value()); // the icon first
    QVERIFY(loaded.wait(5000));
    QVERIFY(loadedOn && loadedOn != QThread::currentThread());
    QCOMPARE(card.fileThumbnail()->thumbnail()->size(), QSize(360, 180));
    card.setItem(itemWith(FilesContent{{file, file}}));
    QVERIFY(!card.fileThumbnail()->isVisibleTo(&card));
}

void ClipCardViewTest::selectionAnimatesOnScreen() {
    ClipCardView card;
    card.setItem(itemWith(TextContent{u"hello"_s}));
    card.resize(420, 300);
    card.show();
    const QImage plain = card.grab().toImage();
    card.setSelected(true);
    // Right after the change the card still looks as before, then it settles.
    QCOMPARE(card.grab().toImage(), plain);
    card.setSelected(false);
    card.setSelected(true);
    QTRY_VERIFY_WITH_TIMEOUT(card.grab().toImage() != plain, 2000);
    QTest::qWait(250);
    card.hide();
    const QImage settled = card.grab().toImage();
    card.setSelected(false);
    card.setSelected(true);
    QCOMPARE(card.grab().toImage(), settled);
}

namespace {

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xffffffff;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

QByteArray chunk(const QByteArray& type, const QByteArray& data) {
    QByteArray out;
    QDataStream stream(&out, QIODevice::WriteOnly);
    stream << quint32(data.size());
    out += type + data;
    QDataStream tail(&out, QIODevice::Append);
    tail << crc32(type + data);
    return out;
}

// A black picture as a real PNG, grey or RGB: a small file for any size.
QByteArray blackPng(quint32 width, quint32 height, bool rgb) {
    QByteArray header;
    QDataStream stream(&header, QIODevice::WriteOnly);
    stream << width << height << quint8(8) << quint8(rgb ? 2 : 0) << quint8(0) << quint8(0)
           << quint8(0);
    const QByteArray pixels(qsizetype(height) * (qsizetype(width) * (rgb ? 3 : 1) + 1), '\0');
    return "\x89PNG\r\n\x1a\n"_ba + chunk("IHDR", header) +
           chunk("IDAT", qCompress(pixels, 1).mid(4)) + chunk("IEND", {});
}

} // namespace

void ClipCardViewTest::hugePicturesAreRefusedAndLargePhotosShown() {
    // 156 MP: unpacked scaled down, this took the main thread for seconds.
    const QByteArray bomb = blackPng(12500, 12500, false);
    QVERIFY(decodedPicture(bomb, QSize(900, 900)).isNull());
    // Its card says what it is instead: a picture symbol and its size.
    ClipCardView refused;
    refused.setItem(itemWith(ImageContent{bomb}));
    waitForCardImagePrefetch();
    QVERIFY(refused.image().isNull());
    ClipCardView broken;
    broken.setItem(itemWith(ImageContent{"not a png"_ba}));
    waitForCardImagePrefetch();
    QVERIFY(render(refused) != render(broken));

    // A 72 MP photo needs more memory than Qt allows by default.
    const QImage photo = decodedPicture(blackPng(8500, 8500, true), QSize(900, 900));
    QCOMPARE(photo.size(), QSize(900, 900));
}

QTEST_MAIN(ClipCardViewTest)
#include "ClipCardViewTest.moc"
