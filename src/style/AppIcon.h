#pragma once

#include <QIcon>
#include <QPixmap>

// Velloq's own icon: a blue tile with the grid of cards. Windows, the About
// box and the first-run wizard show it.
class AppIcon {
public:
    AppIcon() = delete;

    // The icon at `side` device-independent pixels.
    static QPixmap pixmap(int side, qreal devicePixelRatio = 1.0);
    // Drawn at the sizes title bars, task switchers and docks ask for.
    static QIcon icon();
};
