#include "HotKey.h"

#include "HotKeyCenter.h"

namespace KeyboardShortcuts {

HotKey::HotKey(qint64 carbonKeyCode, qint64 carbonModifiers, qint64 id,
               std::function<void()> onKeyDown, std::function<void()> onKeyUp)
    : carbonKeyCode(carbonKeyCode), carbonModifiers(carbonModifiers), id(id),
      onKeyDown(std::move(onKeyDown)), onKeyUp(std::move(onKeyUp)) {}

HotKey::~HotKey() {
    if (HotKeyCenter* center = HotKeyCenter::existing())
        center->hotKeyReleased(*this);
}

} // namespace KeyboardShortcuts
