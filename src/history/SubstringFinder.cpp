#include "SubstringFinder.h"

#include <cstdint>
#include <cstring>

namespace {

using Bytes16 = unsigned char __attribute__((vector_size(16)));

Bytes16 repeated(char byte) {
    Bytes16 bytes;
    for (int i = 0; i < 16; ++i)
        bytes[i] = static_cast<unsigned char>(byte);
    return bytes;
}

Bytes16 load(const char* at) {
    Bytes16 bytes;
    std::memcpy(&bytes, at, sizeof bytes);
    return bytes;
}

} // namespace

SubstringFinder::SubstringFinder(QByteArray needle) : m_needle(std::move(needle)) {}

bool SubstringFinder::isFoundIn(QByteArrayView haystack) const {
    const size_t length = size_t(m_needle.size());
    const size_t size = size_t(haystack.size());
    if (length == 0)
        return true;
    if (length > size)
        return false;
    const char* text = haystack.data();
    const char* needle = m_needle.constData();
    if (length == 1)
        return std::memchr(text, needle[0], size) != nullptr;
    const Bytes16 first = repeated(needle[0]);
    const Bytes16 last = repeated(needle[length - 1]);
    // Positions `start` … `start + 15` are candidates; the last block may
    // reach past the final position, so the tail is left to memmem.
    size_t start = 0;
    for (; start + length - 1 + 16 <= size; start += 16) {
        const auto hits = (load(text + start) == first) & (load(text + start + length - 1) == last);
        std::uint64_t halves[2];
        std::memcpy(halves, &hits, sizeof halves);
        if ((halves[0] | halves[1]) == 0)
            continue;
        for (size_t lane = 0; lane < 16; ++lane) {
            if (hits[lane] && std::memcmp(text + start + lane + 1, needle + 1, length - 2) == 0)
                return true;
        }
    }
    return ::memmem(text + start, size - start, needle, length) != nullptr;
}
