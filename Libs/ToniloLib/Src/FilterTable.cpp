#include "Libs/ToniloLib/Src/FilterTable.h"

#include <new>

#include "Libs/ToniloLib/Src/PassThroughFilter.h"

namespace tonilo {

// Filters still to come pass audio through unchanged so chains can be built.
static const FormatRecord kFilterTable[kFilterTableCount] = {
    {"168 Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<PassThroughFilter>},
    {"816 Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<PassThroughFilter>},
    {"Eq Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<PassThroughFilter>},
    {"Gain Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<PassThroughFilter>},
    {"Noise Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<PassThroughFilter>},
    {"VAS Audio Filter", nullptr, FORMAT_KIND_FILTER, 0, CreateFilterInstance<PassThroughFilter>},
    {"Volume Audio Filter", nullptr, FORMAT_KIND_FILTER, 0,
     CreateFilterInstance<PassThroughFilter>},
    {"Resample Audio Filter", nullptr, FORMAT_KIND_FILTER, 0,
     CreateFilterInstance<PassThroughFilter>},
};

const FormatRecord* GetFilterTable(uint32_t* count) {
    if (count)
        *count = kFilterTableCount;
    return kFilterTable;
}

} // namespace tonilo
