#include "platform/xdg/Thumbnails.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

QString writeImage(const QString& path, QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    image.save(path);
    return path;
}

// Puts a thumbnail into the cache the way file managers do.
QString cachedThumbnailPath(const QString& file, const char* folder) {
    const QUrl url = QUrl::fromLocalFile(file);
    const QString dir = Thumbnails::cacheFolder() + u'/' + QLatin1StringView(folder);
    QDir().mkpath(dir);
    const QByteArray md5 = QCryptographicHash::hash(url.toEncoded(), QCryptographicHash::Md5);
    return dir + u'/' + QString::fromLatin1(md5.toHex()) + ".png"_L1;
}

void cacheThumbnail(const QString& file, const char* folder, QColor colour, qint64 mtime,
                    QSize size = {128, 96}) {
    const QUrl url = QUrl::fromLocalFile(file);
    QImage thumbnail(size, QImage::Format_RGB32);
    thumbnail.fill(colour);
    thumbnail.setText(u"Thumb::URI"_s, QString::fromUtf8(url.toEncoded()));
    thumbnail.setText(u"Thumb::MTime"_s, QString::number(mtime));
    QVERIFY(thumbnail.save(cachedThumbnailPath(file, folder)));
}

} // namespace

class ThumbnailsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void init();
    void freshCachedThumbnailsOrImagesDecodedAtTheRequestedSize();
    void fifosAndOversizedPicturesAreNeverOpenedOrUnpacked();

private:
    QTemporaryDir m_files;
};

void ThumbnailsTest::init() {
    QStandardPaths::setTestModeEnabled(true);
    QDir(Thumbnails::cacheFolder()).removeRecursively();
}

void ThumbnailsTest::freshCachedThumbnailsOrImagesDecodedAtTheRequestedSize() {
    const QString photo = writeImage(m_files.filePath(u"photo one.png"_s), {800, 600}, Qt::red);
    const qint64 mtime = QFileInfo(photo).lastModified().toSecsSinceEpoch();
    cacheThumbnail(photo, "normal", Qt::blue, mtime);
    QImage image = Thumbnails::load(QUrl::fromLocalFile(photo), 128);
    QCOMPARE(image.pixelColor(5, 5), QColor(Qt::blue));

    // A thumbnail made before the file last changed is stale.
    cacheThumbnail(photo, "normal", Qt::blue, mtime - 10);
    QVERIFY(Thumbnails::cached(QUrl::fromLocalFile(photo), 128).isNull());
    image = Thumbnails::load(QUrl::fromLocalFile(photo), 128);
    QCOMPARE(image.pixelColor(5, 5), QColor(Qt::red));

    const QString large = writeImage(m_files.filePath(u"large.jpg"_s), {4000, 3000}, Qt::green);
    QCOMPARE(Thumbnails::load(QUrl::fromLocalFile(large), 360).size(), QSize(360, 270));
    const QString small = writeImage(m_files.filePath(u"small.png"_s), {40, 30}, Qt::green);
    QCOMPARE(Thumbnails::load(QUrl::fromLocalFile(small), 360).size(), QSize(40, 30));
    QFile text(m_files.filePath(u"notes.txt"_s));
    QVERIFY(text.open(QIODevice::WriteOnly));
    text.write("just words");
    text.close();
    QVERIFY(Thumbnails::load(QUrl::fromLocalFile(text.fileName()), 360).isNull());
    QVERIFY(Thumbnails::load(QUrl::fromLocalFile(u"/no/such/file.png"_s), 360).isNull());
}

void ThumbnailsTest::fifosAndOversizedPicturesAreNeverOpenedOrUnpacked() {
    // A FIFO in a copied file list, or in the cache under a thumbnail's
    // name, would block the reader for good.
    const QString fifo = m_files.filePath(u"pipe.png"_s);
    QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    const QString photo = writeImage(m_files.filePath(u"photo two.png"_s), {300, 200}, Qt::red);
    QVERIFY(::mkfifo(QFile::encodeName(cachedThumbnailPath(photo, "large")).constData(), 0600) ==
            0);
    QVERIFY(Thumbnails::load(QUrl::fromLocalFile(fifo), 128).isNull());
    QCOMPARE(Thumbnails::load(QUrl::fromLocalFile(photo), 128).pixelColor(5, 5), QColor(Qt::red));

    // No thumbnail is larger than 1024 pixels a side: a "thumbnail" that
    // is (a picture bomb, as like as not) is passed over for the file.
    const qint64 mtime = QFileInfo(photo).lastModified().toSecsSinceEpoch();
    cacheThumbnail(photo, "normal", Qt::blue, mtime, {2000, 1500});
    QVERIFY(Thumbnails::cached(QUrl::fromLocalFile(photo), 128).isNull());
    QCOMPARE(Thumbnails::load(QUrl::fromLocalFile(photo), 128).pixelColor(5, 5), QColor(Qt::red));
}

QTEST_GUILESS_MAIN(ThumbnailsTest)
#include "ThumbnailsTest.moc"
