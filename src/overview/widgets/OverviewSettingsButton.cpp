#include "OverviewSettingsButton.h"

#include "style/GlassPainter.h"
#include "style/Symbols.h"
#include "style/TextStyles.h"

#include <QPainter>

using namespace Qt::StringLiterals;

OverviewSettingsButton::OverviewSettingsButton(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::NoFocus);
    setToolTip(tr("Settings"));
    setAccessibleName(tr("Settings"));
    setFont(styledFont(TextStyle::title3));
    setFixedSize(side, side);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_Hover);
}

void OverviewSettingsButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath circle;
    circle.addEllipse(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5));
    GlassPainter::paint(painter, *this, circle, true);
    if (isDown() || underMouse()) {
        QColor shade = palette().color(QPalette::WindowText);
        shade.setAlphaF(isDown() ? 0.16 : 0.08);
        painter.fillPath(circle, shade);
    }
    const int symbol = QFontMetrics(font()).height();
    const QPointF origin((width() - symbol) / 2.0, (height() - symbol) / 2.0);
    painter.drawPixmap(origin,
                       Symbols::pixmap(u"gearshape"_s, symbol,
                                       palette().color(QPalette::WindowText), devicePixelRatioF()));
}
