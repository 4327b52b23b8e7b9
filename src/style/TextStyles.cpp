#include "TextStyles.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>
#include <QWidget>

namespace {

// Keeps a widget's text secondary as the palette around it changes: its own
// palette holds the secondary colour, which would otherwise stay that of
// the appearance it was made in.
class SecondaryText : public QObject {
public:
    SecondaryText(QWidget& widget, qreal alpha) : QObject(&widget), m_alpha(alpha) {
        widget.installEventFilter(this);
        follow(widget);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        const QEvent::Type type = event->type();
        if (type == QEvent::PaletteChange || type == QEvent::ParentChange)
            follow(static_cast<QWidget&>(*watched));
        return false;
    }

private:
    // Only the text colour is the widget's own: a copy of its whole palette
    // would fix every other colour too. Setting an equal palette sends no
    // change, so this never loops.
    void follow(QWidget& widget) const {
        const QWidget* parent = widget.parentWidget();
        const QPalette around = parent ? parent->palette() : QGuiApplication::palette();
        QPalette own;
        own.setColor(QPalette::WindowText, secondaryTextColour(around, m_alpha));
        widget.setPalette(own);
    }

    qreal m_alpha;
};

} // namespace

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
    new SecondaryText(widget, alpha);
}
