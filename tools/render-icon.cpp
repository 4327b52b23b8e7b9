// Draws an SVG icon as a square PNG of the given size, for the icon theme.
// Usage: velloq-render-icon ICON.svg SIZE OUT.png

#include <QCoreApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTextStream>

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    bool isNumber = false;
    const int size = arguments.size() == 4 ? arguments[2].toInt(&isNumber) : 0;
    QSvgRenderer renderer(arguments.value(1));
    if (!isNumber || size <= 0 || size > 4096 || !renderer.isValid()) {
        QTextStream(stderr) << "usage: velloq-render-icon ICON.svg SIZE OUT.png\n";
        return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, size, size));
    painter.end();
    return image.save(arguments[3], "PNG") ? 0 : 1;
}
