#pragma once

#include <QString>

#include <iterator>
#include <optional>

// What the ANSI keys type on a US layout, indexed by key code, for tests
// that need a keyboard layout without a display; none where the key is
// special or absent from ANSI keyboards.
inline std::optional<QString> usLayoutCharacter(qint64 keyCode) {
    static constexpr char16_t usLayout[] = u"asdfhgzxcv"
                                           u"\0bqweryt12"
                                           u"3465=97-80"
                                           u"]ou[ip\0lj'"
                                           u"k;\\,/nm.\0\0"
                                           u"`";
    if (keyCode < 0 || keyCode >= qint64(std::size(usLayout)) - 1 || usLayout[keyCode] == u'\0')
        return std::nullopt;
    return QString(QChar(usLayout[keyCode]));
}
