#include "OverviewGrid.h"

#include "CardImages.h"
#include "CardTransitions.h"
#include "ClipCardView.h"
#include "history/ClipStore.h"
#include "overview/DragItem.h"
#include "overview/OverviewModel.h"
#include "style/GlassPainter.h"
#include "style/TextStyles.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr int columns = 3;
// Wheel scrolling settles on a row once the wheel has been still this long.
constexpr int snapDelayMilliseconds = 160;
// How long the cards' pictures stay decoded after the grid was hidden: a
// reopening soon after costs no decoding, and an idle Velloq holds none.
constexpr int pictureKeepMilliseconds = 10000;
// The glass around the empty grid's text.
constexpr QSizeF emptyPadding(28, 16);
constexpr qreal emptyCornerRadius = 20;

QRectF interpolated(const QRectF& from, const QRectF& to, qreal progress) {
    const auto mix = [progress](qreal a, qreal b) { return a + (b - a) * progress; };
    return {mix(from.x(), to.x()), mix(from.y(), to.y()), mix(from.width(), to.width()),
            mix(from.height(), to.height())};
}

} // namespace

OverviewGrid::OverviewGrid(OverviewModel& model, qreal spacing, QWidget* parent)
    : QWidget(parent), m_model(model), m_spacing(spacing) {
    setMouseTracking(true);
    setAttribute(Qt::WA_TranslucentBackground);
    m_scrollAnimation.setDuration(scrollMilliseconds);
    m_scrollAnimation.setEasingCurve(QEasingCurve::OutCubic);
    connect(&m_scrollAnimation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { setOffset(value.toReal()); });
    m_layoutAnimation.setDuration(layoutMilliseconds);
    m_layoutAnimation.setEasingCurve(QEasingCurve::InOutCubic);
    m_layoutAnimation.setStartValue(0.0);
    m_layoutAnimation.setEndValue(1.0);
    connect(&m_layoutAnimation, &QVariantAnimation::valueChanged, this, [this] { layoutCards(); });
    connect(&m_layoutAnimation, &QVariantAnimation::finished, this, [this] {
        m_glideFrom.clear();
        layoutCards();
    });
    m_snapTimer.setSingleShot(true);
    m_snapTimer.setInterval(snapDelayMilliseconds);
    connect(&m_snapTimer, &QTimer::timeout, this, &OverviewGrid::snapToRow);
    m_releaseTimer.setSingleShot(true);
    m_releaseTimer.setInterval(pictureKeepMilliseconds);
    connect(&m_releaseTimer, &QTimer::timeout, this, &OverviewGrid::releasePictures);

    connect(&m_model, &OverviewModel::itemsChanged, this, &OverviewGrid::reloadItems);
    connect(&m_model, &OverviewModel::tabChanged, this, [this] {
        resetScroll();
        reloadItems();
    });
    connect(&m_model, &OverviewModel::queryChanged, this, [this] {
        resetScroll();
        reloadItems();
    });
    connect(&m_model, &OverviewModel::gridSizeChanged, this, &OverviewGrid::layoutCards);
    connect(&m_model, &OverviewModel::selectionChanged, this, [this] {
        updateCardStates();
        scrollToSelection();
    });
    connect(&m_model, &OverviewModel::shownCountChanged, this, [this] {
        // A new showing starts at the top, without gliding from the last one.
        m_lastPointer.reset();
        m_layoutAnimation.stop();
        m_glideFrom.clear();
        m_fadingIn.clear();
        resetScroll();
        layoutCards();
    });
    m_items = m_model.visibleItems();
}

OverviewGrid::~OverviewGrid() = default;

void OverviewGrid::showEvent(QShowEvent*) {
    m_releaseTimer.stop();
}

void OverviewGrid::hideEvent(QHideEvent*) {
    m_releaseTimer.start();
}

void OverviewGrid::releasePictures() {
    for (ClipCardView* card : std::as_const(m_cards))
        card->dropPicture();
    for (ClipCardView* card : std::as_const(m_spareCards))
        card->dropPicture();
    releaseCardImages();
}

QSizeF OverviewGrid::cardSize(const QSizeF& area, qreal spacing, qint64 gridSize) {
    const qreal factor = gridSize == 9 ? 0.8 : 1.0;
    return {std::max(0.0, (area.width() - 2 * ringMargin - 2 * spacing) / columns * factor),
            std::max(0.0, (area.height() - 2 * spacing) / columns * factor)};
}

QString OverviewGrid::emptyText(bool isSearching, bool onPinnedTab) {
    if (isSearching)
        return tr("Nothing found");
    return onPinnedTab ? tr("Pin a card to keep it at hand")
                       : tr("Copy something — it will show up here");
}

QString OverviewGrid::emptyText() const {
    return emptyText(m_model.isSearching(), m_model.tab() == OverviewModel::Tab::pinned);
}

qsizetype OverviewGrid::pageSize() const {
    return m_model.gridSize();
}

QSizeF OverviewGrid::cardSize() const {
    return cardSize(size(), m_spacing, m_model.gridSize());
}

bool OverviewGrid::isScrolling() const {
    return m_items.size() > pageSize();
}

QRectF OverviewGrid::contentRect(qsizetype index) const {
    const QSizeF card = cardSize();
    const qsizetype row = index / columns;
    const qsizetype column = index % columns;
    if (isScrolling()) {
        return {QPointF(ringMargin + column * (card.width() + m_spacing),
                        ringMargin + row * (card.height() + m_spacing)),
                card};
    }
    // Rows of a page are centred; a short last row too.
    const qsizetype inRow = std::min<qsizetype>(columns, m_items.size() - row * columns);
    const qreal rowWidth = inRow * card.width() + (inRow - 1) * m_spacing;
    const qreal left = (width() - rowWidth) / 2.0;
    return {QPointF(left + column * (card.width() + m_spacing), row * (card.height() + m_spacing)),
            card};
}

QRectF OverviewGrid::cellRect(qsizetype index) const {
    return contentRect(index).translated(0, -m_offset);
}

qreal OverviewGrid::maximumScrollOffset() const {
    if (!isScrolling() || m_items.isEmpty())
        return 0;
    const qreal contentHeight =
        std::max(height() - 2 * ringMargin, contentRect(m_items.size() - 1).bottom() - ringMargin) +
        2 * ringMargin;
    return std::max(0.0, contentHeight - height());
}

qsizetype OverviewGrid::indexAt(const QPointF& point) const {
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        const QRectF cell = cellRect(i);
        if (cell.contains(point))
            return i;
        if (cell.top() > point.y())
            break;
    }
    return -1;
}

ClipCardView* OverviewGrid::cardAt(qsizetype index) const {
    if (index < 0 || index >= m_items.size())
        return nullptr;
    return m_cards.value(m_items[index].id);
}

void OverviewGrid::reloadItems() {
    m_glideFrom.clear();
    m_fadingIn.clear();
    if (isVisible()) {
        for (auto it = m_cards.cbegin(); it != m_cards.cend(); ++it)
            m_glideFrom.insert(it.key(), QRectF(it.value()->geometry()));
    }
    m_items = m_model.visibleItems();
    if (!m_glideFrom.isEmpty())
        animateInsertionsAndRemovals();
    forgetCardImagesExcept(m_model.items());
    // While the grid shows, and a moment after, the next showing opens on
    // the newest clips: have their pictures ready.
    if (isVisible() || m_releaseTimer.isActive())
        prefetchCardImages(ClipStore::recent(m_model.items(), 9));
    m_offset = std::clamp(m_offset, 0.0, maximumScrollOffset());
    if (!m_glideFrom.isEmpty())
        m_layoutAnimation.start();
    layoutCards();
    update();
}

void OverviewGrid::animateInsertionsAndRemovals() {
    QSet<QUuid> shown;
    for (const ClipItem& item : std::as_const(m_items)) {
        shown.insert(item.id);
        if (!m_glideFrom.contains(item.id))
            m_fadingIn.insert(item.id);
    }
    for (auto it = m_cards.cbegin(); it != m_cards.cend(); ++it) {
        ClipCardView* card = it.value();
        if (!shown.contains(it.key()) && card->isVisible() && rect().intersects(card->geometry()))
            new VanishingCard(card->grab(), card->geometry(), layoutMilliseconds, this);
    }
}

void OverviewGrid::resetScroll() {
    m_scrollAnimation.stop();
    m_snapTimer.stop();
    m_offset = 0;
}

ClipCardView* OverviewGrid::takeCard() {
    if (!m_spareCards.isEmpty())
        return m_spareCards.takeLast();
    auto* card = new ClipCardView(this);
    card->applicationIcon = applicationIcon;
    card->setAttribute(Qt::WA_TransparentForMouseEvents);
    return card;
}

void OverviewGrid::layoutCards() {
    const QSizeF card = cardSize();
    const qreal reach = card.height() + m_spacing;
    QHash<QUuid, ClipCardView*> placed;
    const qreal progress = m_layoutAnimation.state() == QAbstractAnimation::Running
                               ? m_layoutAnimation.currentValue().toReal()
                               : 1.0;
    for (qsizetype i = 0; i < m_items.size() && !card.isEmpty(); ++i) {
        const QRectF target = cellRect(i);
        if (target.bottom() < -reach)
            continue;
        if (target.top() > height() + reach)
            break;
        const ClipItem& item = m_items[i];
        ClipCardView* view = m_cards.take(item.id);
        if (!view) {
            view = takeCard();
            view->setItem(item);
            if (m_fadingIn.remove(item.id))
                fadeIn(view, layoutMilliseconds);
        } else if (!(view->item() == item)) {
            view->setItem(item);
        }
        const auto from = m_glideFrom.constFind(item.id);
        const QRectF shown =
            from == m_glideFrom.cend() ? target : interpolated(*from, target, progress);
        view->setGeometry(shown.toRect());
        view->show();
        placed.insert(item.id, view);
    }
    for (ClipCardView* unused : std::as_const(m_cards)) {
        unused->hide();
        m_spareCards.append(unused);
    }
    m_cards = placed;
    updateCardStates();
}

void OverviewGrid::updateCardStates() {
    const bool searching = m_model.isSearching();
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        ClipCardView* view = m_cards.value(m_items[i].id);
        if (!view)
            continue;
        view->setSelected(i == m_model.selection());
        view->setNumber(!searching && i < m_model.gridSize() ? std::optional<qint64>(i + 1)
                                                             : std::nullopt);
        view->setMatchedQuery(searching ? m_model.query().trimmed() : QString());
    }
}

void OverviewGrid::setOffset(qreal offset) {
    const qreal bounded = std::clamp(offset, 0.0, maximumScrollOffset());
    if (bounded == m_offset)
        return;
    m_offset = bounded;
    layoutCards();
}

void OverviewGrid::animateOffset(qreal target) {
    target = std::clamp(target, 0.0, maximumScrollOffset());
    m_scrollAnimation.stop();
    if (!isVisible()) {
        setOffset(target);
        return;
    }
    m_scrollAnimation.setStartValue(m_offset);
    m_scrollAnimation.setEndValue(target);
    m_scrollAnimation.start();
}

void OverviewGrid::scrollToSelection() {
    const qint64 selection = m_model.selection();
    if (!isScrolling() || selection < 0 || selection >= m_items.size())
        return;
    // The least scrolling that brings the card and its ring into view.
    const QRectF anchor =
        contentRect(selection).adjusted(-ringMargin, -ringMargin, ringMargin, ringMargin);
    const qreal target = m_scrollAnimation.state() == QAbstractAnimation::Running
                             ? m_scrollAnimation.endValue().toReal()
                             : m_offset;
    if (anchor.top() < target)
        animateOffset(anchor.top());
    else if (anchor.bottom() > target + height())
        animateOffset(anchor.bottom() - height());
}

void OverviewGrid::snapToRow() {
    const qreal row = cardSize().height() + m_spacing;
    if (row <= 0)
        return;
    animateOffset(std::round(m_offset / row) * row);
}

void OverviewGrid::resizeEvent(QResizeEvent*) {
    m_offset = std::clamp(m_offset, 0.0, maximumScrollOffset());
    layoutCards();
}

void OverviewGrid::paintEvent(QPaintEvent*) {
    if (!m_items.isEmpty())
        return;
    // On glass of its own: the bare dimmed screen could be any colour.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(styledFont(TextStyle::title2));
    const int flags = Qt::AlignCenter | Qt::TextWordWrap;
    const QRectF space = QRectF(rect()).adjusted(emptyPadding.width(), emptyPadding.height(),
                                                 -emptyPadding.width(), -emptyPadding.height());
    const QRectF text = painter.boundingRect(space, flags, emptyText());
    const QRectF ground = text.adjusted(-emptyPadding.width(), -emptyPadding.height(),
                                        emptyPadding.width(), emptyPadding.height());
    GlassPainter::paint(painter, *this, GlassPainter::roundedRect(ground, emptyCornerRadius));
    painter.setPen(secondaryTextColour(palette()));
    painter.drawText(text, flags, emptyText());
}

void OverviewGrid::wheelEvent(QWheelEvent* event) {
    if (!isScrolling())
        return;
    const QPoint pixels = event->pixelDelta();
    const qreal delta = !pixels.isNull() ? pixels.y()
                                         : event->angleDelta().y() / 120.0 *
                                               (cardSize().height() + m_spacing) / 2.0;
    m_scrollAnimation.stop();
    setOffset(m_offset - delta);
    m_snapTimer.start();
    event->accept();
}

void OverviewGrid::mousePressEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_pressedIndex = indexAt(event->position());
    m_pressPosition = event->position();
    // The empty space around the cards closes the overlay, as the backdrop does.
    if (m_pressedIndex < 0 && m_model.onClose)
        m_model.onClose();
}

void OverviewGrid::mouseMoveEvent(QMouseEvent* event) {
    const bool dragging = (event->buttons() & Qt::LeftButton) && m_pressedIndex >= 0;
    if (dragging && (event->position() - m_pressPosition).manhattanLength() >=
                        QApplication::startDragDistance()) {
        startDrag(std::exchange(m_pressedIndex, -1));
        return;
    }
    hover(event->position(), event->globalPosition().toPoint());
}

void OverviewGrid::hover(const QPointF& position, const QPoint& globalPosition) {
    // Cards that scroll or appear under a resting pointer do not take the
    // selection from the keyboard; only a moving pointer does.
    const bool moved = m_lastPointer && *m_lastPointer != globalPosition;
    m_lastPointer = globalPosition;
    if (!moved)
        return;
    const qsizetype index = indexAt(position);
    if (index >= 0 && index != m_model.selection())
        m_model.setSelection(index);
}

void OverviewGrid::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    const qsizetype pressed = std::exchange(m_pressedIndex, -1);
    if (event->button() != Qt::LeftButton || pressed < 0 || pressed >= m_items.size())
        return;
    if (indexAt(event->position()) == pressed)
        m_model.pick(m_items[pressed], event->modifiers() & Qt::ShiftModifier
                                           ? OverviewModel::PasteForm::plain
                                           : OverviewModel::PasteForm::asIs);
}

void OverviewGrid::startDrag(qsizetype index) {
    if (index < 0 || index >= m_items.size())
        return;
    const ClipItem item = m_items[index];
    QPixmap picture;
    if (ClipCardView* view = cardAt(index))
        picture = view->grab();
    if (m_model.onDragStarted)
        m_model.onDragStarted();
    auto* drag = new QDrag(this);
    drag->setMimeData(dragItem(item));
    if (!picture.isNull()) {
        const QPixmap small =
            picture.scaledToWidth(std::min(picture.width(), 240), Qt::SmoothTransformation);
        drag->setPixmap(small);
        drag->setHotSpot(QPoint(small.width() / 2, small.height() / 2));
    }
    // Qt deletes the drag once the target has taken the data, which on X11
    // is after exec() returns: deleting it here would withdraw the data.
    drag->exec(Qt::CopyAction);
    if (onDragEnded)
        onDragEnded();
}

void OverviewGrid::contextMenuEvent(QContextMenuEvent* event) {
    const qsizetype index = indexAt(event->pos());
    if (index >= 0)
        showContextMenu(index, event->globalPos());
    event->accept();
}

void OverviewGrid::showContextMenu(qsizetype index, const QPoint& globalPosition) {
    // The menu acts on the card that was clicked, which need not be the
    // selected one.
    const ClipItem item = m_items[index];
    QMenu menu(this);
    menu.addAction(tr("Preview"), this, [this, item] { m_model.setPreviewItem(item); });
    menu.addAction(item.isPinned ? tr("Unpin\t⌃P") : tr("Pin\t⌃P"), this, [this, item] {
        m_model.store().setPinned(!item.isPinned, item.id);
        m_model.showToast(item.isPinned ? OverviewModel::removedFromPinnedToast()
                                        : OverviewModel::movedToPinnedToast());
    });
    QAction* remove = menu.addAction(tr("Delete\t⌃⌫"), this, [this, item] {
        m_model.setLastRemoved(item);
        m_model.store().deleteItem(item.id);
        m_model.showToast(OverviewModel::deletedToast());
    });
    remove->setProperty("destructive", true);
    menu.exec(globalPosition);
}
