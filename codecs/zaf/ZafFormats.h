#pragma once
// The long-play speech plug-in's format records: "ZAF encoder" and "ZAF decoder".
#include "codecs/include/ToniloPlugin.h"

namespace tonilo::codecs {

bool GetZafFormats(const FormatRecord** records, uint32_t* count);

} // namespace tonilo::codecs
