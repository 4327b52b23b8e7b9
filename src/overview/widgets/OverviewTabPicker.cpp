#include "OverviewTabPicker.h"

#include "style/GlassPainter.h"
#include "style/TextStyles.h"

#include <QMouseEvent>
#include <QPainter>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal outerPadding = 4;
constexpr qreal buttonSpacing = 4;
constexpr qreal tabHorizontalPadding = 16;
constexpr qreal tabVerticalPadding = 8;

} // namespace

QStringList OverviewTabPicker::titles() {
    return {tr("Recent"), tr("Pinned"), tr("All")};
}

OverviewTabPicker::OverviewTabPicker(QWidget* parent) : QWidget(parent) {
    setFont(styledFont(TextStyle::headline));
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(tr("Tabs"));
}

void OverviewTabPicker::setCurrentTab(int index) {
    if (index == m_current)
        return;
    m_current = index;
    update();
}

void OverviewTabPicker::setSearching(bool searching) {
    if (searching == m_searching)
        return;
    m_searching = searching;
    update();
}

QSizeF OverviewTabPicker::buttonSize(int index) const {
    const QFontMetricsF metrics(font());
    return {metrics.horizontalAdvance(m_titles[index]) + 2 * tabHorizontalPadding,
            metrics.height() + 2 * tabVerticalPadding};
}

QRectF OverviewTabPicker::buttonRect(int index) const {
    qreal x = outerPadding;
    for (int i = 0; i < index; ++i)
        x += buttonSize(i).width() + buttonSpacing;
    return {QPointF(x, outerPadding), buttonSize(index)};
}

QSize OverviewTabPicker::sizeHint() const {
    const QRectF last = buttonRect(int(m_titles.size()) - 1);
    return QSizeF(last.right() + outerPadding, last.bottom() + outerPadding).toSize();
}

int OverviewTabPicker::tabAt(const QPoint& point) const {
    for (int i = 0; i < m_titles.size(); ++i) {
        if (buttonRect(i).contains(point))
            return i;
    }
    return -1;
}

void OverviewTabPicker::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    GlassPainter::paint(painter, *this,
                        GlassPainter::capsule(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5)));
    for (int i = 0; i < m_titles.size(); ++i) {
        const QRectF button = buttonRect(i);
        if (i == m_current && !m_searching) {
            QColor accent = palette().color(QPalette::Highlight);
            accent.setAlphaF(0.35);
            painter.setPen(Qt::NoPen);
            painter.setBrush(accent);
            painter.drawPath(GlassPainter::capsule(button));
        }
        painter.setPen(palette().color(QPalette::WindowText));
        painter.drawText(button, Qt::AlignCenter, m_titles[i]);
    }
}

void OverviewTabPicker::mousePressEvent(QMouseEvent* event) {
    m_pressed = tabAt(event->position().toPoint());
    event->accept();
}

void OverviewTabPicker::mouseReleaseEvent(QMouseEvent* event) {
    const int released = tabAt(event->position().toPoint());
    if (released >= 0 && released == m_pressed)
        Q_EMIT tabClicked(released);
    m_pressed = -1;
    event->accept();
}
