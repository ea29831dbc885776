#pragma once
#include <cstdint>

namespace tonilo {

// Milliseconds from a steady clock; wraps like the platform tick it stands for.
uint32_t GetTickCount();

} // namespace tonilo
