#include "OverlayScene.h"

#include "style/GlassContainer.h"

#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

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

ClipStore& filled(ClipStore& store, const QList<ClipItem>& items) {
    // Oldest first, so the list's order is the cards' order.
    for (qsizetype i = items.size() - 1; i >= 0; --i)
        store.add(items[i].content, items[i].sourceBundleID, items[i].capturedAt);
    return store;
}

} // namespace

OverlayScene::OverlayScene(const QList<ClipItem>& items, const QIcon& appIcon)
    : m_store(m_home.filePath(u"history"_s)), m_model(filled(m_store, items), 6),
      m_view(m_model, 24) {
    m_view.setApplicationLookup([appIcon](const QString&) { return appIcon; },
                                [](const QString&) { return u"Text Editor"_s; });
    m_view.resize(screenSize);
    m_view.show();
    m_model.prepareForShow();
}

void OverlayScene::setDesktop(const QImage& desktop, Backdrop backdrop) {
    m_desktop = desktop;
    m_view.releaseBackdrops();
    m_view.glass()->setCompositorBlurs(backdrop == Backdrop::compositorBlur);
    m_underWindow = desktop;
    if (backdrop == Backdrop::picture)
        m_view.setBackdrop(desktop, dimming);
    else if (backdrop == Backdrop::compositorBlur)
        m_underWindow = GlassContainer::blurredBackdrop(desktop, 0);
    m_view.update();
}

QImage OverlayScene::compose() {
    const qreal ratio = m_view.devicePixelRatioF();
    QImage image(m_view.size() * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    QPainter painter(&image);
    const QRect screen(QPoint(0, 0), m_view.size());
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(screen, m_underWindow);
    painter.fillRect(screen, QColor(0, 0, 0, int(dimming * 255)));
    painter.end();
    m_view.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

QImage OverlayScene::busyDesktop() {
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
