#include "history/TextRecognizer.h"

#include "history/ClipStore.h"
#include "history/PictureText.h"

#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A screenshot-like picture: `lines` drawn with Qt at `pixels` high.
QByteArray rendered(const QStringList& lines, int pixels, bool dark) {
    QImage image(1200, 120 + lines.size() * pixels * 2, QImage::Format_RGB32);
    image.fill(dark ? QColor(0x20, 0x22, 0x28) : QColor(Qt::white));
    QPainter painter(&image);
    QFont font(u"DejaVu Sans"_s);
    font.setPixelSize(pixels);
    painter.setFont(font);
    painter.setPen(dark ? QColor(0xe8, 0xe8, 0xe8) : QColor(0x20, 0x20, 0x20));
    for (qsizetype i = 0; i < lines.size(); ++i)
        painter.drawText(40, 60 + int(i + 1) * pixels * 2, lines[i]);
    painter.end();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return png;
}

QString helper() {
    return qEnvironmentVariable("VELLOQ_TEXT_RECOGNITION");
}

QStringList picturePaths(const ClipStore& store) {
    QStringList paths;
    for (const ClipItem& item : store.items())
        paths.append(std::get<ImageContent>(item.content).filePath());
    return paths;
}

} // namespace

class TextRecognizerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        QVERIFY2(QFile::exists(helper()), "VELLOQ_TEXT_RECOGNITION names no helper program");
    }

    void wordsOfPicturesAreFoundBySearch_data() {
        QTest::addColumn<int>("pixels");
        QTest::addColumn<bool>("dark");
        for (int pixels : {14, 22, 40}) {
            QTest::addRow("%d px light", pixels) << pixels << false;
            QTest::addRow("%d px dark", pixels) << pixels << true;
        }
    }
    void wordsOfPicturesAreFoundBySearch() {
        QFETCH(int, pixels);
        QFETCH(bool, dark);
        QTemporaryDir folder;
        ClipStore store(folder.path());
        store.add(ImageContent(rendered(
                      {u"Segmentation fault in renderer"_s, u"Rechnung Betrag 42,50 EUR"_s}, pixels,
                      dark)),
                  std::nullopt, 1);
        store.add(ImageContent(rendered({}, pixels, dark)), std::nullopt, 2);
        const TextRecognizer::Start real = TextRecognizer::helperProcess(helper(), u"eng+deu"_s);
        int started = 0;
        TextRecognizer recognizer([&](const QString& path) {
            ++started;
            return real(path);
        });
        recognizer.quietMilliseconds = 0;
        QSignalSpy recognised(&recognizer, &TextRecognizer::recognised);
        recognizer.recognise(picturePaths(store));
        QTRY_COMPARE_WITH_TIMEOUT(recognised.size(), 2, 60000);

        const ClipItem& words = store.items().at(0);
        const QString blankPath = std::get<ImageContent>(store.items().at(1).content).filePath();
        for (const QString& query : {u"segmentation"_s, u"RENDERER"_s, u"rechnung"_s}) {
            const QList<ClipItem> found = ClipStore::search(store.items(), query);
            QCOMPARE(found.size(), 1);
            QCOMPARE(found.first().id, words.id);
        }
        QCOMPARE(PictureText::read(blankPath).value_or(u"missing"_s).trimmed(), QString());

        // Recognised once: asking again starts no helper.
        recognizer.recognise(picturePaths(store));
        QCoreApplication::processEvents();
        QCOMPARE(started, 2);

        // The text goes with its picture.
        const QString textPath =
            PictureText::pathFor(std::get<ImageContent>(words.content).filePath());
        QVERIFY(QFile::exists(textPath));
        store.deleteItem(words.id);
        store.clearAll();
        QTRY_VERIFY(!QFile::exists(textPath));
        QVERIFY(!QFile::exists(PictureText::pathFor(blankPath)));
    }

    void aKilledHelperCostsOnlyThatPicturesTextUntilTheNextStart() {
        QTemporaryDir folder;
        ClipStore store(folder.path());
        store.add(ImageContent(rendered({u"Alpha"_s}, 30, false)), std::nullopt, 1);
        store.add(ImageContent(rendered({u"Quittung"_s}, 30, false)), std::nullopt, 2);
        const TextRecognizer::Start real = TextRecognizer::helperProcess(helper(), u"eng+deu"_s);
        QProcess* first = nullptr;
        int started = 0;
        TextRecognizer recognizer([&](const QString& path) {
            ++started;
            QProcess* process = real(path);
            if (!first) {
                first = process;
                // Killed as soon as it runs: in the middle of its work.
                connect(process, &QProcess::started, process, &QProcess::kill);
            }
            return process;
        });
        recognizer.quietMilliseconds = 0;
        QSignalSpy recognised(&recognizer, &TextRecognizer::recognised);
        const QStringList paths = picturePaths(store);
        recognizer.recognise(paths);
        QTRY_COMPARE_WITH_TIMEOUT(recognised.size(), 1, 60000);
        QVERIFY(first);
        QCOMPARE(ClipStore::search(store.items(), u"alpha"_s).size(), 0);
        QCOMPARE(ClipStore::search(store.items(), u"quittung"_s).size(), 1);
        QVERIFY(!PictureText::read(paths.first()));

        // Not tried again in this run...
        recognizer.recognise(paths);
        QCoreApplication::processEvents();
        QCOMPARE(started, 2);
        // ...but by the next one.
        TextRecognizer next(real);
        next.quietMilliseconds = 0;
        QSignalSpy nextRecognised(&next, &TextRecognizer::recognised);
        next.recognise(paths);
        QTRY_COMPARE_WITH_TIMEOUT(nextRecognised.size(), 1, 60000);
        QCOMPARE(ClipStore::search(store.items(), u"alpha"_s).size(), 1);
    }

    void languagesFollowTheUser() {
        QCOMPARE(TextRecognizer::languagesFor({u"de-DE"_s, u"en-US"_s}), u"deu+eng"_s);
        QCOMPARE(TextRecognizer::languagesFor({u"fr-FR"_s}), u"eng"_s);
    }
};

QTEST_MAIN(TextRecognizerTest)
#include "TextRecognizerTest.moc"
