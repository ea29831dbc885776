#pragma once
// The recording list's rows: the order they are sorted in, the texts of the
// second column and the match of type-to-find.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files/FolderListing.h"

namespace tonilo {

// The sort keys as the settings store them; any other stored value is Name.
enum class SortKey : uint32_t { Name = 2, Size = 3, Date = 8 };
SortKey SortKeyFromSetting(uint32_t value);

// The list's display mode as stored: 1 details (report, with columns), 3 list.
enum class ListMode : uint32_t { Details = 1, List = 3 };

// Second-column choices (menu ids) as stored; any other value is None.
enum class SecondColumn : uint32_t { None = 1143, Date = 1144, Size = 1145, Time = 1150 };
SecondColumn SecondColumnFromSetting(uint32_t value);
// The setting's value for the choice (0 for none).
uint32_t SecondColumnSetting(SecondColumn column);
// Unscaled width in pixels: date 60, size 50, time 100, none 0.
int32_t SecondColumnWidth(SecondColumn column);

// Names in the order people expect: letters without regard to ASCII case, runs
// of digits by their value ("Recording 9" before "Recording 10"); names equal
// that way fall back to their bytes, so the order is total.
bool NameLess(const std::string& a, const std::string& b);

// Folders first, by name; then files by the key: names ascending, dates oldest
// first, sizes smallest first, equal keys by name.
void SortEntries(std::vector<FolderEntry>* entries, SortKey key);

// Second-column texts.
std::string FormatDate(int64_t modifiedNs); // local date, "2026-12-06"
std::string FormatSize(int64_t bytes);      // "512 B", "12 KB", "3.4 MB", "1.2 GB"
std::string FormatDuration(int64_t ms);     // "0:07", "12:34", "1:02:03"; "" when unknown

// Type-to-find: whether the name holds the search text (ASCII case ignored).
bool MatchesSearch(const std::string& name, const std::string& text);
// The text without its last character (a whole UTF-8 sequence).
std::string WithoutLastCharacter(const std::string& text);
// A typed character as UTF-8.
std::string CharacterText(uint32_t character);

} // namespace tonilo
