#pragma once

#include <QBrush>
#include <QImage>
#include <QObject>

class QWidget;

// The blurred picture of what lies behind an area of a window, shared by
// every glass surface inside the area, so that together they read as one
// sheet of frosted glass. Attached to the area as a child object; surfaces
// find the nearest one above them. Without a picture, surfaces fall back to
// a denser tint, unless the compositor blurs behind the window itself.
class GlassContainer : public QObject {
    Q_OBJECT

public:
    // The picture is shrunk to a sixth each way and blurred over two of
    // its pixels: a soft wash about fifteen points wide, which no text
    // behind it survives, made in a few milliseconds.
    static constexpr int shrinkFactor = 6;
    static constexpr int blurRadius = 2;

    explicit GlassContainer(QWidget* area);

    // `picture` shows what lies under the whole area, edge to edge, at any
    // pixel density; the surfaces show it blurred and darkened by `shade`
    // from their next paint on.
    void setBackdrop(const QImage& picture, qreal shade = 0);
    // The same in two steps, the first of which may run on any thread.
    static QImage blurredBackdrop(const QImage& picture, qreal shade);
    void setBlurredBackdrop(QImage blurred) { m_blurred = std::move(blurred); }
    // Drops the picture, which may show the user's screen.
    void releaseBackdrop();
    bool hasBackdrop() const { return !m_blurred.isNull(); }
    // Whether the compositor blurs what lies behind the window, so that the
    // surfaces need no picture of it for the lighter tint.
    void setCompositorBlurs(bool blurs) { m_compositorBlurs = blurs; }
    bool seesBlurBehind() const { return hasBackdrop() || m_compositorBlurs; }
    const QImage& blurredBackdrop() const { return m_blurred; }

    // The blurred backdrop as a brush for a painter working in `surface`,
    // a widget inside the area, under that painter's current transform.
    QBrush backdropBrush(const QWidget& surface, const QTransform& painterTransform) const;

    // The container of the nearest widget from `widget` upwards that has one.
    static const GlassContainer* of(const QWidget& widget);

private:
    QWidget* m_area;
    QImage m_blurred;
    bool m_compositorBlurs = false;
};
