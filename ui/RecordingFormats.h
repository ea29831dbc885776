#pragma once
// What the recording list takes from the format registry: the extensions it
// lists, and the playing time of a recording for its "Time" column.
#include <string>
#include <vector>

#include "formats/FormatRegistry.h"
#include "ui/FolderReader.h"

namespace tonilo {

// The extensions of every decoder the registry knows, lower case, each once,
// in registry order.
std::vector<std::string> ReadableExtensions(FormatRegistry& registry);
// The list's filter: "*." and each extension.
std::vector<std::string> FilterPatterns(const std::vector<std::string>& extensions);
// Durations through the registry's decoders; holds a reference to it.
DurationReader RegistryDurationReader(FormatRegistry* registry);

} // namespace tonilo
