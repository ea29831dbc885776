#include "listctrl/ListStyle.h"

#include <strings.h>

#include <cstdio>
#include <sstream>

namespace tonilo {
namespace {

bool StartsWith(const std::string& text, const char* prefix) {
    size_t length = std::char_traits<char>::length(prefix);
    return text.size() >= length && strncasecmp(text.c_str(), prefix, length) == 0;
}

std::string Trim(const std::string& text) {
    size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos)
        return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return 0;
}

enum class ColorResult { kSet, kUnset, kMalformed };

// One colour form; *color is -1 for "ignore".
ColorResult ReadColor(const std::string& text, int64_t* color) {
    if (!text.empty() && text[0] == '#') {
        if (text.size() < 7)
            return ColorResult::kMalformed;
        int v[3];
        for (int i = 0; i < 3; ++i)
            v[i] = HexDigit(text[1 + 2 * i]) * 16 + HexDigit(text[2 + 2 * i]);
        *color = ColorRef(static_cast<uint8_t>(v[0]), static_cast<uint8_t>(v[1]),
                          static_cast<uint8_t>(v[2]));
        return ColorResult::kSet;
    }
    if (StartsWith(text, "ignore")) {
        *color = -1;
        return ColorResult::kSet;
    }
    if (StartsWith(text, "sysColor")) {
        int index = 0;
        if (std::sscanf(text.c_str() + 8, "(%d)", &index) != 1)
            return ColorResult::kUnset;
        *color = SystemColor(index);
        return ColorResult::kSet;
    }
    if (StartsWith(text, "rgb")) {
        int red = 0, green = 0, blue = 0;
        if (std::sscanf(text.c_str() + 3, "(%d-%d-%d)", &red, &green, &blue) != 3)
            return ColorResult::kMalformed;
        *color = ColorRef(static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                          static_cast<uint8_t>(blue));
        return ColorResult::kSet;
    }
    return ColorResult::kUnset;
}

struct KeySlot {
    const char* key;
    int32_t slot;
    bool colorOnly;
};

const KeySlot kListKeys[] = {
    {"Background", kListBackground, false},    {"Text", kListText, true},
    {"BkgndFocused", kListFocusedFill, false}, {"BkgndUnfocused", kListUnfocusedFill, false},
    {"SelectedText", kListSelectedText, true}, {"BkgndRow", kListRowFill, false},
    {"StrippedRow", kListStripeFill, false},   {"DetailsText", kListDetailsText, true},
    {"DetailsTitle", kListDetailsTitle, true},
};

const KeySlot kBarKeys[] = {
    {"Background", kBarTrack, false},        {"Scrollbar", kBarThumb, false},
    {"BkgndFocused", kBarPressed, false},    {"Text", kBarText, true},
    {"SelectedText", kBarPressedText, true}, {"Triangel", kBarTriangle, false},
};

template <size_t N>
void ApplySection(const StyleSheet& sheet, const std::string& section, const KeySlot (&keys)[N],
                  const std::string& imageFolder, std::vector<ListStyleEntry>* table) {
    for (const StyleSheetEntry& entry : sheet.entries) {
        if (strcasecmp(entry.section.c_str(), section.c_str()) != 0)
            continue;
        if (strcasecmp(entry.key.c_str(), "DefaultMode") == 0)
            continue; // a number of no lasting effect
        for (const KeySlot& key : keys) {
            if (strcasecmp(entry.key.c_str(), key.key) != 0)
                continue;
            if (static_cast<size_t>(key.slot) < table->size())
                ParseStyleValue(entry.value, key.slot, key.colorOnly, imageFolder,
                                &(*table)[key.slot]);
            break;
        }
    }
}

ListStyleEntry ColorOnly(uint32_t color) {
    ListStyleEntry entry;
    entry.style = (color & 0xFFFFFF) | kStyleColorOnly;
    return entry;
}

ListStyleEntry Solid(uint32_t color) {
    ListStyleEntry entry;
    entry.style = (color & 0xFFFFFF) | kStyleOwnsObjects;
    entry.hasBrush = true;
    return entry;
}

} // namespace

uint32_t SystemColor(int32_t index) {
    // Indices as the platform numbers them; dark surfaces and light text.
    static const uint32_t kColors[] = {
        ColorRef(0x3A, 0x40, 0x4A), // 0 scroll bar
        ColorRef(0x1C, 0x1F, 0x24), // 1 desktop
        ColorRef(0x26, 0x2A, 0x31), // 2 active caption
        ColorRef(0x26, 0x2A, 0x31), // 3 inactive caption
        ColorRef(0x26, 0x2A, 0x31), // 4 menu
        ColorRef(0x26, 0x2A, 0x31), // 5 window
        ColorRef(0x3A, 0x40, 0x4A), // 6 window frame
        ColorRef(0xE8, 0xEA, 0xED), // 7 menu text
        ColorRef(0xE8, 0xEA, 0xED), // 8 window text
        ColorRef(0xE8, 0xEA, 0xED), // 9 caption text
        ColorRef(0x3A, 0x40, 0x4A), // 10 active border
        ColorRef(0x3A, 0x40, 0x4A), // 11 inactive border
        ColorRef(0x1C, 0x1F, 0x24), // 12 application workspace
        ColorRef(0x3A, 0x40, 0x4A), // 13 highlight
        ColorRef(0xFF, 0xFF, 0xFF), // 14 highlight text
        ColorRef(0x26, 0x2A, 0x31), // 15 button face
        ColorRef(0x1C, 0x1F, 0x24), // 16 button shadow
        ColorRef(0x9A, 0xA0, 0xA6), // 17 grey text
        ColorRef(0xE8, 0xEA, 0xED), // 18 button text
        ColorRef(0x9A, 0xA0, 0xA6), // 19 inactive caption text
        ColorRef(0x3A, 0x40, 0x4A), // 20 button highlight
        ColorRef(0x1C, 0x1F, 0x24), // 21 dark shadow
        ColorRef(0x3A, 0x40, 0x4A), // 22 light
        ColorRef(0xE8, 0xEA, 0xED), // 23 tooltip text
        ColorRef(0x3A, 0x40, 0x4A), // 24 tooltip background
    };
    if (index < 0 || static_cast<size_t>(index) >= sizeof kColors / sizeof kColors[0])
        return 0;
    return kColors[index];
}

bool ParseStyleValue(const std::string& value, int32_t slot, bool colorOnly,
                     const std::string& imageFolder, ListStyleEntry* entry) {
    int64_t main = -1, end = -1, border = -1;
    uint32_t gradient = 0;
    bool gradientUsed = false, endSet = false;
    std::string image;
    std::istringstream items(value);
    std::string item;
    while (std::getline(items, item, ',')) {
        item = Trim(item);
        int64_t* target = &main;
        uint32_t bits = 0;
        if (StartsWith(item, "gradiendHV:")) {
            item.erase(0, 11), target = &end,
                               bits = kStyleHorizontalGradient | kStyleVerticalGradient;
        } else if (StartsWith(item, "gradiendH:")) {
            item.erase(0, 10), target = &end, bits = kStyleHorizontalGradient;
        } else if (StartsWith(item, "gradiendV:")) {
            item.erase(0, 10), target = &end, bits = kStyleVerticalGradient;
        } else if (StartsWith(item, "border:")) {
            item.erase(0, 7), target = &border;
        }
        if (StartsWith(item, "img:")) {
            image = item.substr(4);
            continue;
        }
        if (bits) {
            gradient |= bits;
            gradientUsed = true;
        }
        int64_t color = -1;
        switch (ReadColor(item, &color)) {
        case ColorResult::kMalformed:
            return false;
        case ColorResult::kUnset:
            break;
        case ColorResult::kSet:
            *target = color;
            if (target == &end)
                endSet = true;
            break;
        }
    }
    ListStyleEntry built;
    if (!image.empty()) {
        built.style = kStyleImage | (static_cast<uint32_t>(slot) & 0xFFFFFF);
        built.image = imageFolder.empty() ? image : imageFolder + "/" + image;
    } else {
        built.style = main >= 0 ? static_cast<uint32_t>(main) & 0xFFFFFF : 0;
        if (gradientUsed && endSet && end >= 0) {
            built.style |= gradient;
            built.endColor = end;
        }
        built.hasBrush = main >= 0 && !colorOnly;
        if (colorOnly)
            built.style |= kStyleColorOnly;
    }
    if (border >= 0) {
        built.hasPen = true;
        built.penColor = static_cast<uint32_t>(border);
    }
    if (built.hasBrush || built.hasPen)
        built.style |= kStyleOwnsObjects;
    *entry = std::move(built);
    return true;
}

void ApplyStyleSheet(const StyleSheet& sheet, const std::string& imageFolder, ListStyles* styles) {
    const std::string name = "ListControl";
    ApplySection(sheet, "[" + name + "]", kListKeys, imageFolder, &styles->body);
    // The detail colours go with the detail fonts as plain text colours.
    for (int32_t slot : {kListDetailsTitle, kListDetailsText}) {
        uint32_t color =
            static_cast<size_t>(slot) < styles->body.size() ? styles->body[slot].Color() : 0;
        if (static_cast<size_t>(slot) < styles->body.size())
            styles->body[slot] = ColorOnly(color);
    }
    ApplySection(sheet, "[" + name + ".Header]", kListKeys, imageFolder, &styles->header);
    ApplySection(sheet, "[" + name + ".Bar]", kBarKeys, imageFolder, &styles->bar);
    ApplySection(sheet, "[" + name + ".HBar]", kBarKeys, imageFolder, &styles->hbar);
}

void SetStyle(ListStyles* styles, int32_t slot, uint32_t color) {
    if (slot >= 0 && static_cast<size_t>(slot) < styles->body.size())
        styles->body[slot] = Solid(color);
}

ListStyles DefaultListStyles() {
    ListStyles styles;
    auto& body = styles.body;
    body[kListBackground] = Solid(ColorRef(0x26, 0x2A, 0x31));
    body[kListText] = ColorOnly(ColorRef(0xE8, 0xEA, 0xED));
    body[kListSelectedText] = ColorOnly(ColorRef(0xFF, 0xFF, 0xFF));
    body[kListFocusedFill] = Solid(ColorRef(0x3A, 0x40, 0x4A));
    body[kListUnfocusedFill] = Solid(ColorRef(0x31, 0x35, 0x3D));
    body[kListRowFill] = Solid(ColorRef(0x26, 0x2A, 0x31));
    body[kListDetailsText] = ColorOnly(ColorRef(0x9A, 0xA0, 0xA6));
    body[kListDetailsTitle] = ColorOnly(ColorRef(0xE8, 0xEA, 0xED));
    body[kListStripeFill] = Solid(ColorRef(0x2B, 0x2F, 0x37));
    styles.header = body;
    for (auto* bar : {&styles.bar, &styles.hbar}) {
        (*bar)[kBarThumb] = Solid(ColorRef(0x9A, 0xA0, 0xA6));
        (*bar)[kBarText] = ColorOnly(ColorRef(0xE8, 0xEA, 0xED));
        (*bar)[kBarPressed] = Solid(ColorRef(0xE8, 0xEA, 0xED));
        (*bar)[kBarPressedText] = ColorOnly(ColorRef(0x1C, 0x1F, 0x24));
        (*bar)[kBarTriangle] = Solid(ColorRef(0x9A, 0xA0, 0xA6));
    }
    return styles;
}

} // namespace tonilo
