#pragma once
// Positions and durations on the command line read as in the program: "m:ss",
// or "h:mm:ss" from an hour on.
#include <cstdint>
#include <string>

#include "app/BookmarkDatabase.h"

namespace tonilo::tool {

inline std::string TimeText(uint64_t milliseconds) {
    return FormatPosition(static_cast<uint32_t>(milliseconds / 1000));
}

} // namespace tonilo::tool
