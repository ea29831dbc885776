#pragma once
// The two lines the scroll indicator shows while a scroll bar's thumb is dragged:
// a number of bytes as value and unit.
#include <cstdint>
#include <string>

namespace tonilo {

// "1.5\nKB" for 1536, "10\nKB" for 10241; from 1 GiB on whole gigabytes.
std::string ScrollIndicatorSize(int64_t bytes);

} // namespace tonilo
