#pragma once

class QWidget;

// Centres `window` on the screen the pointer is on (the primary screen where
// the pointer cannot be known, as on Wayland away from Velloq's windows):
// a window opened from a tray or shortcut opens where the user is looking.
void centreOnScreenOfPointer(QWidget& window);
