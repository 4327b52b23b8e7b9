#pragma once

#include "preferences/Preferences.h"

#include <QPalette>

#include <optional>

// Applies the "appearance" preference to the whole application: a light or
// dark palette, or for "auto" the one the desktop prefers, followed live.
class Appearance {
public:
    // The desktop's wish, as its settings portal says: dark, light, or none.
    using DesktopPreference = std::optional<bool /* prefers dark */>;

    // Remembers the desktop's palette, the one "auto" starts from.
    Appearance();

    void apply(AppAppearance appearance);
    // A change of the desktop's colour scheme; applied at once under "auto".
    void setDesktopPreference(DesktopPreference prefersDark);

    // The palette for that choice: under "auto", the desktop's own palette
    // when it agrees with the desktop's wish (or there is no wish), else
    // ours of the scheme wished for.
    static QPalette paletteFor(AppAppearance appearance, DesktopPreference prefersDark,
                               const QPalette& desktopPalette);
    static QPalette lightPalette();
    static QPalette darkPalette();
    static bool isDark(const QPalette& palette);

private:
    QPalette m_desktopPalette;
    AppAppearance m_appearance = AppAppearance::automatic;
    DesktopPreference m_desktopPreference;
};
