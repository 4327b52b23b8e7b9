#pragma once

#include <QString>
#include <QtGlobal>

#include <functional>

namespace KeyboardShortcuts {

// One live system-wide registration of a shortcut. The library owns it;
// the hot key center only refers to it. Releasing it frees the combination.
class HotKey {
public:
    HotKey(qint64 carbonKeyCode, qint64 carbonModifiers, qint64 id, std::function<void()> onKeyDown,
           std::function<void()> onKeyUp);
    ~HotKey();
    HotKey(const HotKey&) = delete;
    HotKey& operator=(const HotKey&) = delete;

    const qint64 carbonKeyCode;
    const qint64 carbonModifiers;
    const qint64 id;
    const std::function<void()> onKeyDown;
    const std::function<void()> onKeyUp;
    std::function<void()> onRegistrationFailed;
    // The application's name for what the combination does (the raw value
    // of the shortcut's name), which stays when the combination changes;
    // empty for a bare combination.
    QString name;
    // Whether the combination is grabbed right now (it is not while one of
    // the application's menus is open).
    bool isRegisteredWithSystem = false;
};

} // namespace KeyboardShortcuts
