#pragma once
// A string table: resource texts (UTF-8) looked up by their 16-bit identifier.
// The built-in English table and every language file in Lang/ load into one of
// these. A table never changes after it is built, so any thread may read it.
//
// Language files ("Tonilo.0407.mui") are UTF-8 text, one entry a line:
//     <decimal id><TAB><text>
// with the escapes \n, \t and \\ in the text (any other backslash stays as it is).
// Blank lines and lines starting with '#' are ignored; a line that cannot be read
// is skipped and reported on standard error with its file and line number.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tonilo {

struct ResourceString;

class StringTable {
public:
    struct Entry {
        uint32_t id;
        std::string text;
    };

    // Resource identifiers are 16-bit.
    static constexpr uint32_t kMaxId = 0xFFFF;

    StringTable() = default;
    // Entries in any order; a repeated id keeps its first text.
    explicit StringTable(std::vector<Entry> entries);
    StringTable(const ResourceString* strings, size_t count);

    // Loads a language file; nothing when it cannot be opened or is not a regular
    // file (the caller then falls back as for a missing library).
    static std::unique_ptr<StringTable> LoadFile(const std::string& path);
    // Parses the text of a language file; `name` labels the messages about
    // skipped lines.
    static std::unique_ptr<StringTable> Parse(const std::string& content, const std::string& name);

    // The stored text, or nothing when the table lacks the id.
    const std::string* Find(uint32_t id) const;
    size_t Size() const { return entries_.size(); }
    const std::vector<Entry>& Entries() const { return entries_; }

private:
    std::vector<Entry> entries_; // sorted by id, ids unique
};

// Text as it is written after the tab of a language-file line.
std::string EscapeResourceText(const std::string& text);
// The reverse; unknown escapes and a trailing backslash are kept as they are.
std::string UnescapeResourceText(const std::string& escaped);
// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(const std::string& text);

} // namespace tonilo
