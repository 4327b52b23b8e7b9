// Saves a picture of the whole X screen: `velloq-screenshot FILE.png`.
// Prints the mean brightness (0–255) of the picture, so scripts can tell a
// dimmed screen from a plain one without image tools.
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList arguments = QGuiApplication::arguments();
    QScreen* screen = QGuiApplication::primaryScreen();
    if (arguments.size() != 2 || !screen)
        return 2;
    const QImage picture = screen->grabWindow(0).toImage();
    if (picture.isNull() || !picture.save(arguments[1]))
        return 1;
    qint64 sum = 0;
    qint64 count = 0;
    for (int y = 0; y < picture.height(); y += 8) {
        for (int x = 0; x < picture.width(); x += 8) {
            sum += qGray(picture.pixel(x, y));
            ++count;
        }
    }
    QTextStream(stdout) << (count ? sum / count : 0) << '\n';
    return 0;
}
