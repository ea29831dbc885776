// The exports of Codecs/mp3.so.
#include "codecs/mp3/Mp3Formats.h"

TONILO_DECLARE_PLUGIN_EXPORTS

extern "C" const uint32_t ToniloPluginAbi = TONILO_PLUGIN_ABI;

extern "C" bool GetFormats(const tonilo::FormatRecord** records, uint32_t* count,
                           int32_t libraryIndex) {
    return tonilo::codecs::GetMp3Formats(records, count);
}
