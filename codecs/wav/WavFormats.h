#pragma once
// The WAV plug-in's format records: "WAV encoder" and "WAV decoder".
#include "codecs/include/ToniloPlugin.h"

namespace tonilo::codecs {

bool GetWavFormats(const FormatRecord** records, uint32_t* count);

} // namespace tonilo::codecs
