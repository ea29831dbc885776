#pragma once
// The MP3 plug-in's format records: "MP3 encoder" and "MP3 decoder".
#include "codecs/include/ToniloPlugin.h"

namespace tonilo::codecs {

bool GetMp3Formats(const FormatRecord** records, uint32_t* count);

} // namespace tonilo::codecs
