#include "OverlayGallery.h"

#include "history/ClipStore.h"
#include "overview/OverviewModel.h"
#include "overview/widgets/OverviewView.h"

#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

constexpr QSize screenSize(1600, 900);
// As the overlay window darkens the screen behind it.
constexpr qreal dimming = 0.5;

void drawWindow(QPainter& painter, const QRect& frame, const QString& title, const QColor& ground,
                const QColor& ink, const QString& text) {
    painter.fillRect(frame, ground);
    const QRect bar(frame.topLeft(), QSize(frame.width(), 30));
    painter.fillRect(bar, QColor(0x2b, 0x2b, 0x2b));
    painter.setPen(Qt::white);
    painter.setFont(QFont(u"Sans"_s, 11, QFont::Bold));
    painter.drawText(bar, Qt::AlignCenter, title);
    painter.setPen(ink);
    painter.setFont(QFont(u"Monospace"_s, 11));
    painter.drawText(frame.adjusted(14, 40, -14, -10), Qt::TextWordWrap, text);
}

// Windows full of sharp text and hard edges over a wallpaper: everything a
// glass surface must turn into a quiet wash.
QImage busyDesktop() {
    QImage desktop(screenSize, QImage::Format_RGB32);
    QPainter painter(&desktop);
    QLinearGradient wallpaper(0, 0, screenSize.width(), screenSize.height());
    wallpaper.setColorAt(0, QColor(0x1e, 0x3a, 0x8a));
    wallpaper.setColorAt(1, QColor(0xea, 0x58, 0x0c));
    painter.fillRect(desktop.rect(), wallpaper);
    const QString prose =
        u"The quick brown fox jumps over the lazy dog. Pack my box with five dozen "
        u"liquor jugs. Sphinx of black quartz, judge my vow. "_s.repeated(14);
    const QString code =
        u"int main(int argc, char* argv[]) {\n    return run(argc, argv);\n}\n"_s.repeated(14);
    drawWindow(painter, {40, 30, 900, 620}, u"Report.odt — Text Editor"_s, Qt::white, Qt::black,
               prose);
    drawWindow(painter, {700, 260, 860, 600}, u"Terminal"_s, QColor(0x10, 0x10, 0x10),
               QColor(0x4a, 0xde, 0x80), code);
    // Stripes as sharp as edges get.
    for (int x = 0; x < 400; x += 20)
        painter.fillRect(QRect(60 + x, 700, 10, 170), x % 40 ? Qt::white : Qt::black);
    return desktop;
}

void settle() {
    QEventLoop loop;
    QTimer::singleShot(400, &loop, &QEventLoop::quit);
    loop.exec();
}

// What the overlay window shows: the dimmed screen, then the view.
void save(OverviewView& view, const QImage& desktop, const QString& path) {
    settle();
    const qreal ratio = view.devicePixelRatioF();
    QImage image(view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    painter.drawImage(QRect(QPoint(0, 0), view.size()), desktop);
    painter.fillRect(QRect(QPoint(0, 0), view.size()), QColor(0, 0, 0, int(dimming * 255)));
    painter.end();
    view.render(&image, {}, {}, QWidget::DrawChildren);
    image.save(path);
}

} // namespace

void renderOverlays(const QString& prefix, const QList<ClipItem>& items, const QIcon& appIcon) {
    QTemporaryDir home;
    ClipStore store(home.filePath(u"history"_s));
    // Oldest first, so the list's order is the cards' order.
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        store.add(items[i].content, items[i].sourceBundleID, items[i].capturedAt);
    OverviewModel model(store, 6);
    OverviewView view(model, 24);
    view.setApplicationLookup([appIcon](const QString&) { return appIcon; },
                              [](const QString&) { return u"Text Editor"_s; });
    view.resize(screenSize);
    view.show();
    model.prepareForShow();
    const QImage desktop = busyDesktop();
    view.setBackdrop(desktop, dimming);
    model.setSelection(-1);
    save(view, desktop, prefix + u"-overlay.png"_s);
    model.setSelection(1);
    save(view, desktop, prefix + u"-overlay-selected.png"_s);
    model.togglePreview();
    save(view, desktop, prefix + u"-overlay-preview.png"_s);
    view.releaseBackdrops();
}
