#include "ClipCardView.h"

#include "CardImages.h"
#include "FileThumbnailView.h"
#include "overview/ClipPresentation.h"
#include "overview/RelativeTime.h"
#include "style/GlassPainter.h"
#include "style/StatusColours.h"
#include "style/Symbols.h"
#include "style/TextStyles.h"

#include <QBuffer>
#include <QCache>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeDatabase>
#include <QPainter>
#include <QTextLayout>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal padding = 18;
constexpr qreal cornerRadius = 22;
constexpr qreal ringOutset = 3;
constexpr qreal headerHeight = 28;

} // namespace

QIcon fileTypeIcon(const QUrl& url) {
    static const QMimeDatabase database;
    const QMimeType type = database.mimeTypeForFile(url.toLocalFile());
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    // Desktops without an icon theme still get a document shape.
    if (icon.isNull())
        icon = QIcon(Symbols::pixmap(u"doc"_s, 96, QColor(0x8e, 0x8e, 0x93)));
    return icon;
}

ClipCardView::ClipCardView(QWidget* parent)
    : QWidget(parent), m_selectionAnimation(new QVariantAnimation(this)),
      m_fileThumbnail(new FileThumbnailView(this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    m_fileThumbnail->hide();
    // A short, well-damped settle, close to a spring of 0.15 s response.
    m_selectionAnimation->setDuration(150);
    m_selectionAnimation->setEasingCurve(QEasingCurve::OutCubic);
    connect(m_selectionAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) {
                m_selection = value.toReal();
                update();
            });
}

void ClipCardView::setItem(const ClipItem& item) {
    const bool sameImage = item.id == m_item.id && item.content == m_item.content;
    m_item = item;
    if (!sameImage)
        showPicture();
    placeFileThumbnail();
    updateAccessibleText();
    update();
}

// The device pixels a picture gets on this card, selected (1.02 times as
// large) included; in steps, so that a card resized a little (a layout
// gliding) keeps its picture instead of decoding it again.
QSize ClipCardView::pictureBox() const {
    constexpr int step = 64;
    const QSizeF pixels = bodyRect().size() * devicePixelRatioF() * 1.02;
    if (pixels.isEmpty())
        return {};
    return QSize((int(std::ceil(pixels.width())) + step - 1) / step * step,
                 (int(std::ceil(pixels.height())) + step - 1) / step * step);
}

void ClipCardView::showPicture() {
    const auto* image = std::get_if<ImageContent>(&m_item.content);
    m_pictureSize = image ? image->pixelSize() : QSize();
    m_pictureBox = image ? pictureBox() : QSize();
    m_drawn = QPixmap();
    const std::optional<QImage> picture =
        cardImage(m_item, m_pictureBox, this, [this, id = m_item.id, box = m_pictureBox] {
            if (m_item.id == id && m_pictureBox == box) {
                showPicture();
                update();
            }
        });
    m_image = picture.value_or(QImage());
}

void ClipCardView::dropPicture() {
    m_image = QImage();
    m_drawn = QPixmap();
    m_pictureBox = QSize();
}

void ClipCardView::resizeEvent(QResizeEvent*) {
    placeFileThumbnail();
    if (std::holds_alternative<ImageContent>(m_item.content) && pictureBox() != m_pictureBox)
        showPicture();
}

QRectF ClipCardView::bodyRect() const {
    const QRectF content = cardRect().adjusted(padding, padding, -padding, -padding);
    return content.adjusted(0, headerHeight + 10, 0, 0);
}

QRectF ClipCardView::singleFileThumbnailRect() const {
    const QRectF body = bodyRect();
    const qreal nameHeight = QFontMetricsF(styledFont(TextStyle::callout)).height();
    return body.adjusted(0, 0, 0, -(nameHeight + 8));
}

void ClipCardView::placeFileThumbnail() {
    const auto* files = std::get_if<FilesContent>(&m_item.content);
    if (!files || files->urls.size() != 1) {
        m_fileThumbnail->hide();
        return;
    }
    m_fileThumbnail->setGeometry(singleFileThumbnailRect().toRect());
    m_fileThumbnail->setFile(files->urls.first(), 360);
    m_fileThumbnail->show();
}

void ClipCardView::setSelected(bool selected) {
    if (selected == m_selected)
        return;
    m_selected = selected;
    m_selectionAnimation->stop();
    if (!isVisible()) {
        m_selection = selected ? 1 : 0;
        update();
        return;
    }
    m_selectionAnimation->setStartValue(m_selection);
    m_selectionAnimation->setEndValue(selected ? 1.0 : 0.0);
    m_selectionAnimation->start();
}

void ClipCardView::setNumber(std::optional<qint64> number) {
    if (number == m_number)
        return;
    m_number = number;
    updateAccessibleText();
    update();
}

void ClipCardView::setMatchedQuery(const QString& query) {
    if (query == m_matchedQuery)
        return;
    m_matchedQuery = query;
    updateAccessibleText();
    update();
}

QString ClipCardView::matchNote() const {
    if (m_matchedQuery.isEmpty() || !std::holds_alternative<ImageContent>(m_item.content))
        return {};
    return tr("“%1” is in the picture’s text").arg(m_matchedQuery);
}

void ClipCardView::updateAccessibleText() {
    const QString kind = ClipPresentation::kindLabel(m_item.content).title;
    // A picture's text would be read from disk at every change of the card.
    const QString text = std::holds_alternative<ImageContent>(m_item.content)
                             ? QString()
                             : searchText(m_item.content).left(200).simplified();
    setAccessibleName(kind + u": "_s + text);
    // Said after the name: when it was copied, whether it is pinned, and
    // the number that pastes it.
    const QDateTime captured = QDateTime::fromMSecsSinceEpoch(qint64(m_item.capturedAt * 1000));
    QStringList description{tr("Copied %1").arg(RelativeTime::describe(captured, now()))};
    if (m_item.isPinned)
        description << tr("Pinned");
    if (const QString note = matchNote(); !note.isEmpty())
        description << note;
    if (m_number)
        description << ClipPresentation::numberBadgeAccessibleText(*m_number);
    setAccessibleDescription(description.join(u". "_s));
}

QRectF ClipCardView::cardRect() const {
    // Room around the card for the ring and the 1.02 scale of a selected card.
    const qreal margin = ringOutset + qMax(width(), height()) * 0.01 + 1;
    return QRectF(rect()).adjusted(margin, margin, -margin, -margin);
}

QColor ClipCardView::secondaryText() const {
    return secondaryTextColour(palette());
}

void ClipCardView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF card = cardRect();
    if (m_selection > 0) {
        const qreal scale = 1.0 + 0.02 * m_selection;
        painter.translate(card.center());
        painter.scale(scale, scale);
        painter.translate(-card.center());
    }
    paintSelection(painter, card);
    GlassPainter::paint(painter, *this, GlassPainter::roundedRect(card, cornerRadius));
    paintHeader(painter, card.adjusted(padding, padding, -padding, -padding));
    paintBody(painter, bodyRect());
}

void ClipCardView::paintSelection(QPainter& painter, const QRectF& card) const {
    if (m_selection <= 0)
        return;
    QColor accent = palette().color(QPalette::Highlight);
    QColor glow = accent;
    glow.setAlphaF(0.25 * m_selection);
    accent.setAlphaF(m_selection);
    const QRectF ring = card.adjusted(-ringOutset, -ringOutset, ringOutset, ringOutset);
    painter.setPen(QPen(glow, 8));
    painter.drawRoundedRect(ring, 25, 25);
    painter.setPen(QPen(accent, 3));
    painter.drawRoundedRect(ring.adjusted(1.5, 1.5, -1.5, -1.5), 23.5, 23.5);
}

void ClipCardView::paintHeader(QPainter& painter, const QRectF& area) const {
    const QRectF row(area.left(), area.top(), area.width(), headerHeight);
    qreal x = row.left();
    if (m_item.sourceBundleID && applicationIcon) {
        const QIcon icon = applicationIcon(*m_item.sourceBundleID);
        if (!icon.isNull()) {
            icon.paint(&painter, QRect(int(x), int(row.center().y() - 10), 20, 20));
            x += 28;
        }
    }
    const auto label = ClipPresentation::kindLabel(m_item.content);
    const QFont font = styledFont(TextStyle::callout);
    const int symbolSide = QFontMetrics(font).height();
    painter.drawPixmap(
        QPointF(x, row.center().y() - symbolSide / 2.0),
        Symbols::pixmap(label.symbol, symbolSide, secondaryText(), devicePixelRatioF()));
    x += symbolSide + 6;
    QFont medium = font;
    medium.setWeight(QFont::Medium);
    painter.setFont(medium);
    painter.setPen(secondaryText());
    const qreal end = paintHeaderEnd(painter, row);
    painter.setFont(medium);
    painter.setPen(secondaryText());
    painter.drawText(QRectF(x, row.top(), qMax<qreal>(0, end - x), row.height()),
                     Qt::AlignVCenter | Qt::AlignLeft, label.title);
}

// The trailing items, right to left: badge, time, pin. Returns where they
// begin.
qreal ClipCardView::paintHeaderEnd(QPainter& painter, const QRectF& row) const {
    qreal x = row.right();
    if (m_number) {
        const QRectF badge(x - 28, row.center().y() - 14, 28, 28);
        QColor fill = palette().color(QPalette::WindowText);
        fill.setAlphaF(0.18);
        painter.setPen(Qt::NoPen);
        painter.setBrush(fill);
        painter.drawEllipse(badge);
        painter.setFont(designFont(16, QFont::DemiBold));
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(badge, Qt::AlignCenter, QString::number(*m_number));
        x = badge.left() - 8;
    }
    const QDateTime captured = QDateTime::fromMSecsSinceEpoch(qint64(m_item.capturedAt * 1000));
    const QString time = RelativeTime::describe(captured, now());
    const QFont caption = styledFont(TextStyle::caption);
    const qreal timeWidth = QFontMetricsF(caption).horizontalAdvance(time);
    painter.setFont(caption);
    painter.setPen(secondaryTextColour(palette(), tertiaryTextAlpha));
    painter.drawText(QRectF(x - timeWidth, row.top(), timeWidth, row.height()),
                     Qt::AlignVCenter | Qt::AlignRight, time);
    x -= timeWidth + 8;
    if (m_item.isPinned) {
        const int side = 16;
        painter.drawPixmap(
            QPointF(x - side, row.center().y() - side / 2.0),
            Symbols::pixmap(u"pin.fill"_s, side, StatusColours::orange, devicePixelRatioF()));
        x -= side + 8;
    }
    return x;
}

void ClipCardView::paintBody(QPainter& painter, const QRectF& area) {
    if (area.height() <= 0)
        return;
    painter.save();
    painter.setClipRect(area);
    if (const auto* text = std::get_if<TextContent>(&m_item.content))
        paintText(painter, area, text->text);
    else if (const auto* rich = std::get_if<RichTextContent>(&m_item.content))
        paintText(painter, area, rich->plain);
    else if (std::holds_alternative<ImageContent>(m_item.content)) {
        paintImage(painter, area);
        paintMatchNote(painter, area);
    } else if (const auto* files = std::get_if<FilesContent>(&m_item.content))
        paintFiles(painter, area, files->urls);
    else if (const auto* link = std::get_if<LinkContent>(&m_item.content))
        paintLink(painter, area, link->url);
    painter.restore();
}

void ClipCardView::paintText(QPainter& painter, const QRectF& area, const QString& text) const {
    // Only as much text as could ever show is laid out.
    const QString visible = text.left(4000);
    painter.setFont(designFont(17));
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(area, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, visible);
}

void ClipCardView::paintImage(QPainter& painter, const QRectF& area) {
    // A card shown again after its pictures were let go asks anew.
    if (m_pictureBox.isEmpty())
        showPicture();
    if (m_image.isNull()) {
        paintPicturePlaceholder(painter, area);
        return;
    }
    const QSizeF fitted = QSizeF(m_image.size()).scaled(area.size(), Qt::KeepAspectRatio);
    const QRectF target(area.center() - QPointF(fitted.width(), fitted.height()) / 2, fitted);
    const QSize pixels = (fitted * devicePixelRatioF()).toSize();
    if (pixels.isEmpty())
        return;
    // Scaled once per size from the picture decoded for about this size.
    if (m_drawn.size() != pixels) {
        m_drawn = QPixmap::fromImage(
            m_image.size() == pixels
                ? m_image
                : m_image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    m_drawn.setDevicePixelRatio(devicePixelRatioF());
    painter.setClipPath(GlassPainter::roundedRect(target, 10), Qt::IntersectClip);
    painter.drawPixmap(target.topLeft(), m_drawn);
}

// A pill across the picture's foot, readable on any picture.
void ClipCardView::paintMatchNote(QPainter& painter, const QRectF& area) const {
    const QString note = matchNote();
    if (note.isEmpty())
        return;
    painter.setClipRect(area);
    painter.setFont(designFont(13, QFont::DemiBold));
    const QFontMetricsF metrics(painter.font());
    const QString shown = metrics.elidedText(note, Qt::ElideMiddle, area.width() - 28);
    const QSizeF size(metrics.horizontalAdvance(shown) + 20, metrics.height() + 8);
    const QRectF pill(area.center().x() - size.width() / 2, area.bottom() - size.height() - 8,
                      size.width(), size.height());
    QColor ground = palette().color(QPalette::Window);
    ground.setAlphaF(0.88);
    painter.setPen(Qt::NoPen);
    painter.setBrush(ground);
    painter.drawRoundedRect(pill, size.height() / 2, size.height() / 2);
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(pill, Qt::AlignCenter, shown);
}

// While a picture is decoded, or when it is too large to be: a symbol and
// its size. A picture without a readable size draws nothing.
void ClipCardView::paintPicturePlaceholder(QPainter& painter, const QRectF& area) const {
    if (!m_pictureSize.isValid())
        return;
    constexpr int side = 56;
    const QFont caption = styledFont(TextStyle::caption);
    const qreal lineHeight = QFontMetricsF(caption).height();
    const QPointF symbolOrigin(area.center().x() - side / 2.0,
                               area.center().y() - (side + 8 + lineHeight) / 2);
    painter.drawPixmap(symbolOrigin,
                       Symbols::pixmap(u"photo"_s, side, secondaryText(), devicePixelRatioF()));
    painter.setFont(caption);
    painter.setPen(secondaryText());
    const QRectF line(area.left(), symbolOrigin.y() + side + 8, area.width(), lineHeight);
    painter.drawText(line, Qt::AlignHCenter | Qt::AlignTop,
                     u"%1 × %2"_s.arg(m_pictureSize.width()).arg(m_pictureSize.height()));
}

void ClipCardView::paintFiles(QPainter& painter, const QRectF& area,
                              const QList<QUrl>& urls) const {
    painter.setPen(palette().color(QPalette::WindowText));
    if (urls.size() == 1) {
        // The thumbnail is a child view above this text.
        QFont medium = styledFont(TextStyle::callout);
        medium.setWeight(QFont::Medium);
        painter.setFont(medium);
        const QRectF name(area.left(), singleFileThumbnailRect().bottom() + 8, area.width(),
                          QFontMetricsF(medium).height());
        painter.drawText(name, Qt::AlignHCenter | Qt::AlignTop,
                         QFontMetricsF(medium).elidedText(lastPathComponent(urls.first()),
                                                          Qt::ElideMiddle, area.width()));
        return;
    }
    QFont medium = styledFont(TextStyle::body);
    medium.setWeight(QFont::Medium);
    painter.setFont(medium);
    qreal y = area.top();
    for (const QUrl& url : urls.mid(0, 4)) {
        fileTypeIcon(url).paint(&painter, QRect(int(area.left()), int(y), 36, 36));
        painter.drawText(QRectF(area.left() + 46, y, area.width() - 46, 36),
                         Qt::AlignVCenter | Qt::AlignLeft,
                         QFontMetricsF(medium).elidedText(lastPathComponent(url), Qt::ElideMiddle,
                                                          area.width() - 46));
        y += 44;
    }
    if (const QString more = ClipPresentation::moreFilesLine(urls.size()); !more.isEmpty()) {
        painter.setFont(styledFont(TextStyle::body));
        painter.setPen(secondaryText());
        painter.drawText(QRectF(area.left(), y, area.width(), 24), Qt::AlignLeft, more);
    }
}

void ClipCardView::paintLink(QPainter& painter, const QRectF& area, const QUrl& url) const {
    QFont title = styledFont(TextStyle::title2);
    title.setWeight(QFont::DemiBold);
    painter.setFont(title);
    painter.setPen(palette().color(QPalette::WindowText));
    const qreal titleHeight = QFontMetricsF(title).height();
    painter.drawText(QRectF(area.left(), area.top(), area.width(), titleHeight),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QFontMetricsF(title).elidedText(ClipPresentation::linkTitle(url),
                                                     Qt::ElideRight, area.width()));
    const QFont body = styledFont(TextStyle::body);
    painter.setFont(body);
    painter.setPen(palette().color(QPalette::Link));
    const qreal threeLines = QFontMetricsF(body).lineSpacing() * 3;
    painter.drawText(QRectF(area.left(), area.top() + titleHeight + 6, area.width(), threeLines),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere, absoluteString(url));
}
