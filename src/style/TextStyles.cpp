#include "TextStyles.h"

#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

QFont styledFont(TextStyle style, const QFont& base) {
    QFont font = base;
    const qreal size = base.pointSizeF() > 0 ? base.pointSizeF() : 10.0;
    const auto scaled = [&](qreal factor) { font.setPointSizeF(size * factor); };
    switch (style) {
    case TextStyle::largeTitle:
        scaled(2.0);
        break;
    case TextStyle::title2:
        scaled(1.35);
        break;
    case TextStyle::title3:
        scaled(1.15);
        break;
    case TextStyle::headline:
        font.setBold(true);
        break;
    case TextStyle::body:
        break;
    case TextStyle::callout:
        scaled(0.92);
        break;
    case TextStyle::caption:
        scaled(0.8);
        break;
    }
    return font;
}

QFont styledFont(TextStyle style) {
    return styledFont(style, QGuiApplication::font());
}

QFont designFont(qreal designPoints, QFont::Weight weight) {
    QFont font = QGuiApplication::font();
    const qreal size = font.pointSizeF() > 0 ? font.pointSizeF() : 10.0;
    font.setPointSizeF(size * designPoints / 13.0);
    font.setWeight(weight);
    return font;
}

QColor secondaryTextColour(const QPalette& palette, qreal alpha) {
    QColor colour = palette.color(QPalette::WindowText);
    colour.setAlphaF(alpha);
    return colour;
}

void useSecondaryText(QWidget& widget, qreal alpha) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, secondaryTextColour(palette, alpha));
    widget.setPalette(palette);
}
