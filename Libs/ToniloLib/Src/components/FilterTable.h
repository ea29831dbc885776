#pragma once
// The engine's table of built-in filters, registered with the format registry so
// that chains are assembled by name ("Eq Audio Filter", ...).
#include <cstdint>
#include <new>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo {

constexpr uint32_t kFilterTableCount = 8;

// Returns the table of eight filter entries and stores its count.
const FormatRecord* GetFilterTable(uint32_t* count);

// A factory's shape: allocate, AddRef once, store. It reports true even when the
// allocation failed, leaving null, so callers check the pointer.
template <class Filter> bool CreateFilterInstance(void** object, const void* /*entry*/) {
    Filter* filter = new (std::nothrow) Filter();
    if (filter)
        filter->AddRef();
    *object = filter;
    return true;
}

} // namespace tonilo
