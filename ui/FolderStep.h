#pragma once
// Previous and next recording without the recording list: the recordings of
// the current file's folder in name order, wrapping round at either end.
#include <cstdint>
#include <string>

namespace tonilo {

// The recording after (+1) or before (-1) `current` in its folder; empty when
// the folder holds none. A current file not (or no longer) in the folder steps
// to the first or the last.
std::string NeighbourRecording(const std::string& current, int32_t direction);

} // namespace tonilo
