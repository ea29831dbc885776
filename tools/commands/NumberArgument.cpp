#include "tools/commands/NumberArgument.h"

#include <cerrno>
#include <cstdlib>

namespace tonilo::tool {

bool ParseWholeNumber(const std::string& text, const NumberRange& range, int64_t* value) {
    if (text.empty())
        return false;
    if ((text[0] == '-' && range.sign != NumberSign::Any) ||
        (text[0] == '+' && range.sign == NumberSign::None))
        return false;
    errno = 0;
    char* end = nullptr;
    long long parsed = std::strtoll(text.c_str(), &end, range.base);
    if (errno != 0 || end == text.c_str() || *end != '\0' || parsed < range.low ||
        parsed > range.high)
        return false;
    *value = parsed;
    return true;
}

} // namespace tonilo::tool
