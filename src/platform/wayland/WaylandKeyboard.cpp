#include "WaylandKeyboard.h"

#include "KWinFakeInput.h"
#include "WaylandVirtualKeyboard.h"

#include <QCoreApplication>

std::unique_ptr<WaylandKeyboard> WaylandKeyboard::connect() {
    if (auto keyboard = WaylandVirtualKeyboard::connect())
        return keyboard;
    return KWinFakeInput::connect(
        QStringLiteral("Velloq"),
        QCoreApplication::translate("WaylandKeyboard",
                                    "Pastes the clipboard entry you pick into the window you "
                                    "were typing in."));
}
