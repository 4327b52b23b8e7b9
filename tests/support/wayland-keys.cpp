// Types keys into whatever has the keyboard focus on the test compositor,
// through a virtual keyboard or KWin's fake input: `velloq-wayland-keys
// CODE...`, each a Linux input event code (28 is Return, 1 Escape).

#include "platform/wayland/WaylandKeyboard.h"

#include <QByteArray>
#include <QCoreApplication>

int main(int argc, char* argv[]) {
    // The virtual keyboard follows the seat's keymap from an event loop.
    QCoreApplication app(argc, argv);
    std::unique_ptr<WaylandKeyboard> keyboard = WaylandKeyboard::connect();
    if (!keyboard)
        return 1;
    for (int i = 1; i < argc; ++i) {
        bool isNumber = false;
        const uint code = QByteArray(argv[i]).toUInt(&isNumber);
        if (!isNumber || !keyboard->typeKey(code))
            return 1;
    }
    return 0;
}
