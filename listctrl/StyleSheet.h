#pragma once
// A style sheet as text: "[Section]" lines open a section, "Key = Value" lines are
// its entries, blank lines and lines starting with ';' are skipped. Section names
// keep their brackets ("[ListControl.Bar]"); sections and keys compare ignoring
// case; entries stay in file order.
#include <string>
#include <vector>

namespace tonilo {

struct StyleSheetEntry {
    std::string section;
    std::string key;
    std::string value;
};

struct StyleSheet {
    std::vector<std::string> sections;
    std::vector<StyleSheetEntry> entries;
};

// Entries before the first section belong to the section "". A line that is
// neither a section nor holds '=' is ignored.
StyleSheet ParseStyleSheet(const std::string& text);

} // namespace tonilo
