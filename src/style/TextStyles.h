#pragma once

#include <QColor>
#include <QFont>

class QPalette;

// The named text styles of the overlay, settings and wizard, as sizes
// relative to the application font. Views use only these names.
enum class TextStyle { largeTitle, title2, title3, headline, body, callout, caption };

QFont styledFont(TextStyle style, const QFont& base);
// The application font in that style.
QFont styledFont(TextStyle style);
// The application font at a size given on the 13-point scale the layouts were
// designed on (13 is the application font itself).
QFont designFont(qreal designPoints, QFont::Weight weight = QFont::Normal);

// The colour of secondary text (captions, empty states) on that palette.
QColor secondaryTextColour(const QPalette& palette);
