#pragma once
// The skin element classes the application adds for the recording list: "filelist"
// and "filedir". Registered before a skin is loaded.
#include "skin/ElementClassRegistry.h"

namespace tonilo {

// False when a class of either tag is registered already.
bool RegisterListElementClasses(ElementClassRegistry& registry);

} // namespace tonilo
