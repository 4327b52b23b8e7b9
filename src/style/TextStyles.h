#pragma once

#include <QColor>
#include <QFont>

class QPalette;
class QWidget;

// The named text styles of the overlay, settings and wizard, as sizes
// relative to the application font. Views use only these names.
enum class TextStyle { largeTitle, title2, title3, headline, body, callout, caption };

QFont styledFont(TextStyle style, const QFont& base);
// The application font in that style.
QFont styledFont(TextStyle style);
// The application font at a size given on the 13-point scale the layouts were
// designed on (13 is the application font itself).
QFont designFont(qreal designPoints, QFont::Weight weight = QFont::Normal);

// How strongly secondary text (captions, empty states, explanations) and
// tertiary text (hints below those) are drawn, from the text colour: no
// fainter than keeps a contrast of 4.5:1 on the overlay's glass.
constexpr qreal secondaryTextAlpha = 0.74;
constexpr qreal tertiaryTextAlpha = 0.7;

// The colour of secondary text on that palette.
QColor secondaryTextColour(const QPalette& palette, qreal alpha = secondaryTextAlpha);
// Draws the widget's text in that colour from now on, also after the palette
// around it changes.
void useSecondaryText(QWidget& widget, qreal alpha = secondaryTextAlpha);
