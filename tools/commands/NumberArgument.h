#pragma once
// Whole numbers typed on the command line: the one reader every command's
// numbers go through, so each refuses garbage and overflow the same way.
#include <cstdint>
#include <string>

namespace tonilo::tool {

// Which leading sign a number may carry. Leading blanks are skipped.
enum class NumberSign {
    Any,     // "+5" and "-5"; the range still decides
    NoMinus, // "+5" but not "-0": a minus is a slip for an unsigned value
    None,    // neither: values the tool shows back without a sign
};

struct NumberRange {
    int64_t low;
    int64_t high;
    int base = 10; // 0 also reads 0x hex and 0 octal
    NumberSign sign = NumberSign::Any;
};

constexpr int64_t kMaxUnsigned32 = 0xFFFFFFFFll;

// The whole of text as a number within the range; false for an empty text,
// anything after the digits, an overflow or a value outside the range.
bool ParseWholeNumber(const std::string& text, const NumberRange& range, int64_t* value);

// The same into a narrower type; the range must fit it.
template <typename T>
bool ParseWholeNumber(const std::string& text, const NumberRange& range, T* value) {
    int64_t parsed = 0;
    if (!ParseWholeNumber(text, range, &parsed))
        return false;
    *value = static_cast<T>(parsed);
    return true;
}

} // namespace tonilo::tool
