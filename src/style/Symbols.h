#pragma once

#include <QColor>
#include <QIcon>
#include <QPalette>
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

    // The symbol as an icon drawn when it is shown, in the application
    // palette's `role`, so it follows a switch of appearance and the pixel
    // density of the screen it is on.
    static QIcon icon(const QString& name, QPalette::ColorRole role = QPalette::WindowText);
    // The same in a fixed colour.
    static QIcon icon(const QString& name, const QColor& colour);
    // An SVG of the resources as it is drawn, at `side` device-independent
    // pixels; a null pixmap when it cannot be read.
    static QPixmap rendered(const QString& resource, int side, qreal devicePixelRatio = 1.0);

private:
    static QPixmap drawn(const QString& name, int side, const QColor& colour,
                         qreal devicePixelRatio);
};
