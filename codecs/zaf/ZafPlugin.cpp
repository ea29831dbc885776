// The exports of Codecs/zaf.so.
#include "codecs/zaf/ZafFormats.h"

TONILO_DECLARE_PLUGIN_EXPORTS

extern "C" const uint32_t ToniloPluginAbi = TONILO_PLUGIN_ABI;

extern "C" bool GetFormats(const tonilo::FormatRecord** records, uint32_t* count,
                           int32_t libraryIndex) {
    return tonilo::codecs::GetZafFormats(records, count);
}
