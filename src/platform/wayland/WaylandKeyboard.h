#pragma once

#include <cstdint>
#include <memory>

// A keyboard of Velloq's own on the compositor, typing into whichever client
// has the keyboard focus: a virtual keyboard on wlroots compositors, KWin's
// fake input on KDE Plasma.
class WaylandKeyboard {
public:
    // The first keyboard the compositor lets Velloq make; none when it lets
    // it make neither.
    static std::unique_ptr<WaylandKeyboard> connect();
    virtual ~WaylandKeyboard() = default;

    // Types Control-V and waits until the compositor has it; false when the
    // connection is lost.
    virtual bool typeControlV() = 0;
    // Presses and releases one key (a Linux input event code: the key's
    // place, which the user's layout gives its meaning), with Control held
    // when asked; false when the connection is lost.
    virtual bool typeKey(uint32_t evdevCode, bool withControl = false) = 0;
};
