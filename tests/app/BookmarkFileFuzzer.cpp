// Any bytes as "bookmarks.bin": loading must never crash, and what loads must
// write back into a file that loads to the same database.
#include <cstdint>
#include <cstdlib>

#include "app/BookmarkDatabase.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tonilo::BookmarkDatabase database;
    database.Parse(data, size);
    std::string written = database.Serialise();
    tonilo::BookmarkDatabase reloaded;
    reloaded.Parse(reinterpret_cast<const uint8_t*>(written.data()), written.size());
    if (reloaded.Serialise() != written)
        std::abort();
    return 0;
}
