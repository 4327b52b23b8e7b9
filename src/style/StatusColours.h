#pragma once

#include <QColor>

// The colours that tell a state at a glance, the same in light and dark.
namespace StatusColours {

// Allowed, done.
inline const QColor green{0x34, 0xc7, 0x59};
// Pinned, or needs a look.
inline const QColor orange{0xff, 0x95, 0x00};

} // namespace StatusColours
