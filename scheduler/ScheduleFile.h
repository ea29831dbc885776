#pragma once
// The schedule file, little-endian: "SCH1", a count byte (0..32), then per event
// the chunks (2-byte length, then the bytes) "EVT1", the UTF-16LE name with its 0
// unit, a 28-byte fixed block and, when there are any, the action's properties.
// Fixed block: enabled (1 byte, 3 zero), start as file time (8), length in
// seconds (4), repeat mask (1, 3 zero), action id (4), properties size (4).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scheduler/ScheduleEvent.h"

namespace tonilo {

// The events in file order, up to the first damaged one; none when the bytes
// are no schedule file. Validation is the scheduler's.
std::vector<ScheduleEvent> ReadScheduleFile(const uint8_t* bytes, size_t size);
std::string WriteScheduleFile(const std::vector<ScheduleEvent>& events);

} // namespace tonilo
