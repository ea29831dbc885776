#pragma once
// Comparing names without regard to case, as the platform's file system and
// registry did: ASCII and Latin-1 letters fold, everything else compares as is.
#include <string>

namespace tonilo {

bool EqualIgnoringCase(const std::string& left, const std::string& right);

} // namespace tonilo
