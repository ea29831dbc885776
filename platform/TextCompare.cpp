#include "platform/TextCompare.h"

#include <algorithm>

#include "platform/TextEncoding.h"

namespace tonilo {
namespace {

char16_t Fold(char16_t unit) {
    if ((unit >= u'A' && unit <= u'Z') || (unit >= 0xC0 && unit <= 0xDE && unit != 0xD7))
        return static_cast<char16_t>(unit + 0x20);
    return unit;
}

} // namespace

bool EqualIgnoringCase(const std::string& left, const std::string& right) {
    if (left == right)
        return true;
    std::u16string a = Utf8ToUtf16(left);
    std::u16string b = Utf8ToUtf16(right);
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return Fold(x) == Fold(y); });
}

} // namespace tonilo
