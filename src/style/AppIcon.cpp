#include "AppIcon.h"

#include "Symbols.h"

using namespace Qt::StringLiterals;

QPixmap AppIcon::pixmap(int side, qreal devicePixelRatio) {
    return Symbols::rendered(u":/icons/velloq.svg"_s, side, devicePixelRatio);
}

QIcon AppIcon::icon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(pixmap(side));
    return icon;
}
