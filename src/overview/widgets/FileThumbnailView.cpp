#include "FileThumbnailView.h"

#include "CardImages.h"
#include "ClipCardView.h"
#include "platform/xdg/Thumbnails.h"
#include "style/GlassPainter.h"

#include <QPainter>
#include <QtConcurrent/QtConcurrentRun>

FileThumbnailView::FileThumbnailView(QWidget* parent) : QWidget(parent), loader(&Thumbnails::load) {
    connect(&m_watcher, &QFutureWatcher<QImage>::finished, this, [this] {
        const QImage image = m_watcher.result();
        if (!image.isNull()) {
            m_thumbnail = image;
            update();
        }
        Q_EMIT thumbnailLoaded();
    });
}

void FileThumbnailView::setFile(const QUrl& url, qreal side) {
    if (url == m_url && side == m_side)
        return;
    m_url = url;
    m_side = side;
    m_thumbnail.reset();
    update();
    const int pixels = qCeil(side * devicePixelRatioF());
    // A result for an earlier file that arrives late is simply replaced.
    m_watcher.setFuture(QtConcurrent::run(
        pictureDecodingPool(), [load = loader, url, pixels] { return load(url, pixels); }));
}

void FileThumbnailView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRectF area = rect();
    if (!m_thumbnail) {
        const qreal side = qMin(m_side * 0.27, qMin(area.width(), area.height()));
        const QRectF icon(area.center() - QPointF(side, side) / 2, QSizeF(side, side));
        fileTypeIcon(m_url).paint(&painter, icon.toRect());
        return;
    }
    const QSizeF fitted = QSizeF(m_thumbnail->size()).scaled(area.size(), Qt::KeepAspectRatio);
    const QRectF target(area.center() - QPointF(fitted.width(), fitted.height()) / 2, fitted);
    painter.setClipPath(GlassPainter::roundedRect(target, 10));
    painter.drawImage(target, *m_thumbnail);
}
