#pragma once

#include <QRect>

#include <optional>

// The frame of the screen the pointer is on, else of the primary screen;
// none without screens. On Wayland the pointer is known only over one of
// the application's windows, so elsewhere this is the primary screen.
std::optional<QRect> screenFrameUnderPointer();
