#include "ui/TextLimit.h"

#include "platform/TextEncoding.h"

namespace tonilo {

std::string ClipToUnits(const std::string& text, size_t units) {
    std::u16string wide = Utf8ToUtf16(text);
    if (wide.size() <= units)
        return text;
    size_t keep = units;
    if (keep > 0 && wide[keep - 1] >= 0xD800 && wide[keep - 1] <= 0xDBFF)
        --keep; // a surrogate pair stays whole or goes
    return Utf16ToUtf8(wide.substr(0, keep));
}

} // namespace tonilo
