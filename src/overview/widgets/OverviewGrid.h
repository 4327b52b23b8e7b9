#pragma once

#include "history/ClipItem.h"

#include <QHash>
#include <QIcon>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>
#include <optional>

class ClipCardView;
class OverviewModel;

// The cards of the overlay. Up to a page of cards sits in rows of three;
// more scroll in a three-column grid that snaps to rows and follows the
// selection. Card widgets exist only for the rows near the view and are
// reused. Clicks pick, hovering selects, dragging hands the clip to other
// applications, and the context menu previews, pins or deletes.
class OverviewGrid : public QWidget {
    Q_OBJECT

public:
    static constexpr int layoutMilliseconds = 400;
    static constexpr int scrollMilliseconds = 220;
    // The selection ring and shadow reach this far beyond a card.
    static constexpr qreal ringMargin = 12;

    OverviewGrid(OverviewModel& model, qreal spacing, QWidget* parent = nullptr);
    ~OverviewGrid() override;

    std::function<QIcon(const QString&)> applicationIcon;
    // Called when a drag of a card has ended, dropped or not.
    std::function<void()> onDragEnded;

    static QSizeF cardSize(const QSizeF& area, qreal spacing, qint64 gridSize);
    static QString emptyText(bool isSearching, bool onPinnedTab);

    const QList<ClipItem>& items() const { return m_items; }
    bool isScrolling() const;
    qreal scrollOffset() const { return m_offset; }
    qreal maximumScrollOffset() const;
    // Where a card sits in the widget, with the current scrolling.
    QRectF cellRect(qsizetype index) const;
    qsizetype indexAt(const QPointF& point) const;
    // The card widget shown for that index; null when it is not near the view.
    ClipCardView* cardAt(qsizetype index) const;
    QString emptyText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    qsizetype pageSize() const;
    QSizeF cardSize() const;
    QRectF contentRect(qsizetype index) const;
    void reloadItems();
    void animateInsertionsAndRemovals();
    void resetScroll();
    void layoutCards();
    void updateCardStates();
    void setOffset(qreal offset);
    void animateOffset(qreal target);
    void scrollToSelection();
    void snapToRow();
    void hover(const QPointF& position, const QPoint& globalPosition);
    void startDrag(qsizetype index);
    void showContextMenu(qsizetype index, const QPoint& globalPosition);
    ClipCardView* takeCard();
    void releasePictures();

    OverviewModel& m_model;
    qreal m_spacing;
    QList<ClipItem> m_items;
    QHash<QUuid, ClipCardView*> m_cards;
    QList<ClipCardView*> m_spareCards;
    qreal m_offset = 0;
    QVariantAnimation m_scrollAnimation;
    QTimer m_snapTimer;
    // Lets the cards' pictures go once the grid has been hidden a while.
    QTimer m_releaseTimer;
    // Where each card stood when the items last changed, to glide from.
    QHash<QUuid, QRectF> m_glideFrom;
    QVariantAnimation m_layoutAnimation;
    // Cards that appear with the current change of the items, to fade in.
    QSet<QUuid> m_fadingIn;
    qsizetype m_pressedIndex = -1;
    QPointF m_pressPosition;
    std::optional<QPoint> m_lastPointer;
};
