#pragma once
// Text is UTF-8 inside the program; the record formats that fix UTF-16LE (registry
// strings, the bookmarks and schedule files, the preset record) convert at the edge.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tonilo {

// Invalid UTF-8 bytes become U+FFFD, so conversion never fails.
std::u16string Utf8ToUtf16(const std::string& text);
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& text);

// Reads UTF-16LE code units up to the first zero unit or `byteCount` bytes.
std::u16string ReadUtf16Le(const uint8_t* bytes, size_t byteCount);
// Appends text as UTF-16LE code units, with a terminating zero unit when asked.
void AppendUtf16Le(std::string* out, const std::u16string& text, bool terminate);

} // namespace tonilo
