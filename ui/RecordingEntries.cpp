#include "ui/RecordingEntries.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace tonilo {
namespace {

char FoldCase(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// <0, 0, >0 as the natural order compares the names.
int NaturalCompare(const std::string& a, const std::string& b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (IsDigit(a[i]) && IsDigit(b[j])) {
            size_t startA = i, startB = j;
            while (startA < a.size() && a[startA] == '0')
                ++startA;
            while (startB < b.size() && b[startB] == '0')
                ++startB;
            size_t endA = startA, endB = startB;
            while (endA < a.size() && IsDigit(a[endA]))
                ++endA;
            while (endB < b.size() && IsDigit(b[endB]))
                ++endB;
            // More significant digits make the larger number.
            if (endA - startA != endB - startB)
                return endA - startA < endB - startB ? -1 : 1;
            int digits = a.compare(startA, endA - startA, b, startB, endB - startB);
            if (digits != 0)
                return digits;
            i = endA;
            j = endB;
            continue;
        }
        char x = FoldCase(a[i]), y = FoldCase(b[j]);
        if (x != y)
            return static_cast<unsigned char>(x) < static_cast<unsigned char>(y) ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size() || j < b.size())
        return i < a.size() ? 1 : -1;
    return 0;
}

} // namespace

SortKey SortKeyFromSetting(uint32_t value) {
    switch (value) {
    case static_cast<uint32_t>(SortKey::Size):
        return SortKey::Size;
    case static_cast<uint32_t>(SortKey::Date):
        return SortKey::Date;
    default:
        return SortKey::Name;
    }
}

SecondColumn SecondColumnFromSetting(uint32_t value) {
    switch (value) {
    case static_cast<uint32_t>(SecondColumn::Date):
    case static_cast<uint32_t>(SecondColumn::Size):
    case static_cast<uint32_t>(SecondColumn::Time):
        return static_cast<SecondColumn>(value);
    default:
        return SecondColumn::None;
    }
}

uint32_t SecondColumnSetting(SecondColumn column) {
    return column == SecondColumn::None ? 0 : static_cast<uint32_t>(column);
}

int32_t SecondColumnWidth(SecondColumn column) {
    switch (column) {
    case SecondColumn::Date:
        return 60;
    case SecondColumn::Size:
        return 50;
    case SecondColumn::Time:
        return 100;
    case SecondColumn::None:
        break;
    }
    return 0;
}

bool NameLess(const std::string& a, const std::string& b) {
    int order = NaturalCompare(a, b);
    return order != 0 ? order < 0 : a < b;
}

void SortEntries(std::vector<FolderEntry>* entries, SortKey key) {
    std::sort(entries->begin(), entries->end(), [key](const FolderEntry& a, const FolderEntry& b) {
        if (a.folder != b.folder)
            return a.folder;
        if (!a.folder && key == SortKey::Date && a.modifiedNs != b.modifiedNs)
            return a.modifiedNs < b.modifiedNs;
        if (!a.folder && key == SortKey::Size && a.size != b.size)
            return a.size < b.size;
        return NameLess(a.name, b.name);
    });
}

std::string FormatDate(int64_t modifiedNs) {
    std::time_t seconds = static_cast<std::time_t>(modifiedNs / 1000000000);
    std::tm local{};
    if (!::localtime_r(&seconds, &local))
        return "";
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

std::string FormatSize(int64_t bytes) {
    char text[32];
    if (bytes < 1024) {
        std::snprintf(text, sizeof text, "%lld B", static_cast<long long>(bytes));
    } else if (bytes < 1024 * 1024) {
        std::snprintf(text, sizeof text, "%lld KB", static_cast<long long>((bytes + 1023) / 1024));
    } else if (bytes < 1024LL * 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f MB", static_cast<double>(bytes) / (1024.0 * 1024));
    } else {
        std::snprintf(text, sizeof text, "%.1f GB",
                      static_cast<double>(bytes) / (1024.0 * 1024 * 1024));
    }
    return text;
}

std::string FormatDuration(int64_t ms) {
    if (ms < 0)
        return "";
    int64_t seconds = ms / 1000;
    char text[32];
    if (seconds >= 3600) {
        std::snprintf(
            text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
            static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    } else {
        std::snprintf(text, sizeof text, "%lld:%02lld", static_cast<long long>(seconds / 60),
                      static_cast<long long>(seconds % 60));
    }
    return text;
}

bool MatchesSearch(const std::string& name, const std::string& text) {
    if (text.empty())
        return true;
    auto found = std::search(name.begin(), name.end(), text.begin(), text.end(),
                             [](char x, char y) { return FoldCase(x) == FoldCase(y); });
    return found != name.end();
}

std::string WithoutLastCharacter(const std::string& text) {
    size_t end = text.size();
    while (end > 0) {
        --end;
        // Continuation bytes (10xxxxxx) belong to the character before them.
        if ((static_cast<unsigned char>(text[end]) & 0xC0) != 0x80)
            break;
    }
    return text.substr(0, end);
}

std::string CharacterText(uint32_t c) {
    std::string text;
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
    return text;
}

} // namespace tonilo
