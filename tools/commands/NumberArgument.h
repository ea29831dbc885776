#pragma once
// Whole unsigned 32-bit numbers typed on the command line.
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace tonilo::tool {

// The whole of text as a number in base (0 also reads 0x hex and 0 octal).
// A leading minus is refused, since strtoull would wrap it into a large value.
inline bool ParseUnsignedNumber(const std::string& text, int base, uint32_t* value) {
    if (text.empty() || text[0] == '-')
        return false;
    errno = 0;
    char* end = nullptr;
    unsigned long long parsed = std::strtoull(text.c_str(), &end, base);
    if (errno || *end || parsed > 0xFFFFFFFFull)
        return false;
    *value = static_cast<uint32_t>(parsed);
    return true;
}

// The same with a leading plus refused too, for values the tool shows back
// without a sign.
inline bool ParseUnsignedDigits(const std::string& text, int base, uint32_t* value) {
    return (text.empty() || text[0] != '+') && ParseUnsignedNumber(text, base, value);
}

} // namespace tonilo::tool
