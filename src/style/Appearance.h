#pragma once

#include "preferences/Preferences.h"

#include <QPalette>

// Applies the "appearance" preference to the whole application: a light or
// dark palette, or the desktop's own for "auto".
class Appearance {
public:
    // Remembers the desktop's palette, the one "auto" returns to.
    Appearance();

    void apply(AppAppearance appearance) const;

    static QPalette lightPalette();
    static QPalette darkPalette();

private:
    QPalette m_desktopPalette;
};
