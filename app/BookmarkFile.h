#pragma once
// "bookmarks.bin", little-endian, strings UTF-16LE ending in a 0 unit:
//   u16 version (100), then records to the end of the file:
//   path (at most 260 units with the 0), s32 count (at most 64), and count times
//   u16 position and text (at most 260 units with the 0; no text = the 0 alone).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "app/BookmarkDatabase.h"

namespace tonilo {

// The records in file order, up to the first damaged one (a bookmark repeating
// a position is dropped); none for a wrong version. One record per path is the
// database's rule.
std::vector<FileBookmarks> ReadBookmarkFile(const uint8_t* bytes, size_t size);
// Paths that do not fit the file are left out; texts that do not fit are cut.
std::string WriteBookmarkFile(const std::vector<FileBookmarks>& records);

} // namespace tonilo
