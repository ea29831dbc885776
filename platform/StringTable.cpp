#include "platform/StringTable.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

#include "platform/EnglishStrings.h"

namespace tonilo {
namespace {

// A language file is a few hundred lines; anything far larger is not one.
constexpr std::streamoff kMaxFileSize = 16 * 1024 * 1024;
// A file that is not a language file at all would otherwise flood the terminal.
constexpr int kMaxReportedLines = 20;

void SortUnique(std::vector<StringTable::Entry>* entries) {
    std::stable_sort(
        entries->begin(), entries->end(),
        [](const StringTable::Entry& a, const StringTable::Entry& b) { return a.id < b.id; });
    entries->erase(std::unique(entries->begin(), entries->end(),
                               [](const StringTable::Entry& a, const StringTable::Entry& b) {
                                   return a.id == b.id;
                               }),
                   entries->end());
}

// Reads "<id>\t<text>"; on failure says why.
bool ParseLine(const std::string& line, StringTable::Entry* entry, const char** problem) {
    size_t digits = 0;
    uint32_t id = 0;
    while (digits < line.size() && line[digits] >= '0' && line[digits] <= '9') {
        if (id <= StringTable::kMaxId)
            id = id * 10 + static_cast<uint32_t>(line[digits] - '0');
        ++digits;
    }
    if (digits == 0) {
        *problem = "no numeric id at the start of the line";
        return false;
    }
    if (id > StringTable::kMaxId) {
        *problem = "id out of range (0 to 65535)";
        return false;
    }
    if (digits == line.size() || line[digits] != '\t') {
        *problem = "no tab after the id";
        return false;
    }
    std::string raw = line.substr(digits + 1);
    if (!IsValidUtf8(raw)) {
        *problem = "text is not valid UTF-8";
        return false;
    }
    entry->id = id;
    entry->text = UnescapeResourceText(raw);
    return true;
}

bool IsBlank(const std::string& line) {
    return line.find_first_not_of(" \t") == std::string::npos;
}

} // namespace

StringTable::StringTable(std::vector<Entry> entries) : entries_(std::move(entries)) {
    SortUnique(&entries_);
}

StringTable::StringTable(const ResourceString* strings, size_t count) {
    entries_.reserve(count);
    for (size_t i = 0; i < count; ++i)
        entries_.push_back({strings[i].id, strings[i].text});
    SortUnique(&entries_);
}

std::unique_ptr<StringTable> StringTable::LoadFile(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_size > kMaxFileSize)
        return nullptr;
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return nullptr;
    std::ostringstream content;
    content << file.rdbuf();
    if (file.bad())
        return nullptr;
    return Parse(content.str(), path);
}

std::unique_ptr<StringTable> StringTable::Parse(const std::string& content,
                                                const std::string& name) {
    std::vector<Entry> entries;
    std::vector<bool> seen(kMaxId + 1, false);
    int reported = 0;
    int unreported = 0;
    const auto report = [&](size_t lineNumber, const char* problem) {
        if (reported == kMaxReportedLines) {
            ++unreported;
            return;
        }
        ++reported;
        std::fprintf(stderr, "%s:%zu: line skipped: %s\n", name.c_str(), lineNumber, problem);
    };

    size_t start = 0;
    // Editors on other systems may have saved a byte-order mark.
    if (content.compare(0, 3, "\xEF\xBB\xBF") == 0)
        start = 3;
    size_t lineNumber = 0;
    while (start < content.size()) {
        size_t end = content.find('\n', start);
        if (end == std::string::npos)
            end = content.size();
        std::string line = content.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (IsBlank(line) || line[0] == '#')
            continue;
        Entry entry;
        const char* problem = nullptr;
        if (!ParseLine(line, &entry, &problem)) {
            report(lineNumber, problem);
            continue;
        }
        if (seen[entry.id]) {
            report(lineNumber, "id already defined earlier in the file");
            continue;
        }
        seen[entry.id] = true;
        entries.push_back(std::move(entry));
    }
    if (unreported > 0)
        std::fprintf(stderr, "%s: %d more lines skipped\n", name.c_str(), unreported);
    return std::make_unique<StringTable>(std::move(entries));
}

const std::string* StringTable::Find(uint32_t id) const {
    auto found = std::lower_bound(entries_.begin(), entries_.end(), id,
                                  [](const Entry& entry, uint32_t key) { return entry.id < key; });
    if (found == entries_.end() || found->id != id)
        return nullptr;
    return &found->text;
}

std::string EscapeResourceText(const std::string& text) {
    std::string escaped;
    escaped.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '\n':
            escaped += "\\n";
            break;
        case '\t':
            escaped += "\\t";
            break;
        case '\\':
            escaped += "\\\\";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

std::string UnescapeResourceText(const std::string& escaped) {
    std::string text;
    text.reserve(escaped.size());
    for (size_t i = 0; i < escaped.size(); ++i) {
        char c = escaped[i];
        if (c == '\\' && i + 1 < escaped.size()) {
            char next = escaped[i + 1];
            if (next == 'n' || next == 't' || next == '\\') {
                text += next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

bool IsValidUtf8(const std::string& text) {
    size_t i = 0;
    while (i < text.size()) {
        auto lead = static_cast<unsigned char>(text[i++]);
        if (lead < 0x80)
            continue;
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 ? 1 : -1;
        if (extra < 0 || lead > 0xF4)
            return false;
        char32_t code = lead & (0x3F >> extra);
        for (int k = 0; k < extra; ++k) {
            if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
        }
        static const char32_t kMinimum[] = {0, 0x80, 0x800, 0x10000};
        if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
            return false;
    }
    return true;
}

} // namespace tonilo
