#pragma once
// Edit fields limited in UTF-16 units, as the files that keep their texts count.
#include <cstddef>
#include <string>

namespace tonilo {

// The longest prefix of the text within `units` UTF-16 units, never half a
// character.
std::string ClipToUnits(const std::string& text, size_t units);

} // namespace tonilo
