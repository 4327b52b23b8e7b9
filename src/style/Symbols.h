#pragma once

#include <QColor>
#include <QPixmap>
#include <QString>

// Velloq's own symbol icons (SVG in the resources), drawn in one colour so
// they follow the palette.
class Symbols {
public:
    Symbols() = delete;

    static bool exists(const QString& name);
    // The symbol `name` at `side` device-independent pixels, in `colour`; a
    // null pixmap for an unknown name.
    static QPixmap pixmap(const QString& name, int side, const QColor& colour,
                          qreal devicePixelRatio = 1.0);

    // An SVG of the resources as it is drawn, at `side` device-independent
    // pixels; a null pixmap when it cannot be read.
    static QPixmap rendered(const QString& resource, int side, qreal devicePixelRatio = 1.0);

private:
    static QPixmap drawn(const QString& name, int side, const QColor& colour,
                         qreal devicePixelRatio);
};
