#pragma once

#include "history/ClipItem.h"

#include <QDateTime>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QVariantAnimation>
#include <QWidget>

#include <functional>
#include <optional>

class FileThumbnailView;
class QPainter;

// One clip as a large card of the overview grid: a header (source
// application, kind, pin mark, capture time, number badge) over a body that
// shows the content, on a glass surface, with a ring when selected.
class ClipCardView : public QWidget {
    Q_OBJECT

public:
    explicit ClipCardView(QWidget* parent = nullptr);

    void setItem(const ClipItem& item);
    const ClipItem& item() const { return m_item; }
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    void setNumber(std::optional<qint64> number);
    std::optional<qint64> number() const { return m_number; }
    // The search the card was found by; a picture says that the words are
    // in its text, since nothing else of a picture is searched.
    void setMatchedQuery(const QString& query);
    QString matchNote() const;

    // The icon of the application with that id; a null icon when none is
    // installed. Supplied by the owner (desktop entries in production).
    std::function<QIcon(const QString& bundleID)> applicationIcon;
    std::function<QDateTime()> now = [] { return QDateTime::currentDateTime(); };

    // The decoded picture of an image clip; null while it is being decoded,
    // and when it cannot be decoded or is too large.
    const QImage& image() const { return m_image; }
    // Lets the picture go; it is asked for again when the card is drawn.
    void dropPicture();

    FileThumbnailView* fileThumbnail() const { return m_fileThumbnail; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QRectF cardRect() const;
    QRectF bodyRect() const;
    QRectF singleFileThumbnailRect() const;
    void placeFileThumbnail();
    void paintSelection(QPainter& painter, const QRectF& card) const;
    void paintHeader(QPainter& painter, const QRectF& area) const;
    qreal paintHeaderEnd(QPainter& painter, const QRectF& area) const;
    void paintBody(QPainter& painter, const QRectF& area);
    void paintText(QPainter& painter, const QRectF& area, const QString& text) const;
    void paintImage(QPainter& painter, const QRectF& area);
    void paintMatchNote(QPainter& painter, const QRectF& area) const;
    void paintPicturePlaceholder(QPainter& painter, const QRectF& area) const;
    QSize pictureBox() const;
    void showPicture();
    void paintFiles(QPainter& painter, const QRectF& area, const QList<QUrl>& urls) const;
    void paintLink(QPainter& painter, const QRectF& area, const QUrl& url) const;
    QColor secondaryText() const;

    void updateAccessibleText();

    ClipItem m_item;
    bool m_selected = false;
    // 0 unselected … 1 selected; animated while the card is on screen.
    qreal m_selection = 0;
    QVariantAnimation* m_selectionAnimation;
    std::optional<qint64> m_number;
    QString m_matchedQuery;
    QImage m_image;
    // The size m_image was decoded to fill, and m_image as last drawn.
    QSize m_pictureBox;
    QPixmap m_drawn;
    // What the picture's header claims, known before (and without) decoding.
    QSize m_pictureSize;
    FileThumbnailView* m_fileThumbnail;
};

// The icon standing for a file: its type's icon from the icon theme.
QIcon fileTypeIcon(const QUrl& url);
