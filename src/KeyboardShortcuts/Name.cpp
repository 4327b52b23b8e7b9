#include "Name.h"

#include "Library.h"

namespace KeyboardShortcuts {

Name::Name(const QString& rawValue, std::optional<Shortcut> initialShortcut)
    : m_rawValue(rawValue), m_initialShortcut(initialShortcut) {
    if (m_initialShortcut)
        detail::nameCreated(*this);
}

} // namespace KeyboardShortcuts
