#include "AppIcon.h"

#include "SymbolIconEngine.h"
#include "Symbols.h"

using namespace Qt::StringLiterals;

QPixmap AppIcon::pixmap(int side, qreal devicePixelRatio) {
    return Symbols::rendered(u":/icons/velloq.svg"_s, side, devicePixelRatio);
}

QIcon AppIcon::icon() {
    return QIcon(new SymbolIconEngine(u":/icons/velloq.svg"_s, {}));
}
