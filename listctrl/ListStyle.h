#pragma once
// The fill styles a touch list draws with: a table of entries per part of the list
// (body, header, vertical and horizontal bar), each a colour, a two-colour
// gradient, an image or a text colour, with an optional one-pixel border, filled
// from a style sheet's "[ListControl]" sections.
//
// Colours are 0x00BBGGRR: red in the low byte, then green, then blue.
#include <cstdint>
#include <string>
#include <vector>

#include "listctrl/StyleSheet.h"

namespace tonilo {

constexpr uint32_t kStyleOwnsObjects = 0x80000000u;
constexpr uint32_t kStyleHorizontalGradient = 0x20000000u;
constexpr uint32_t kStyleVerticalGradient = 0x10000000u;
constexpr uint32_t kStyleColorOnly = 0x02000000u;
constexpr uint32_t kStyleImage = 0x83000000u; // with the slot in the low bits

constexpr uint32_t ColorRef(uint8_t red, uint8_t green, uint8_t blue) {
    return red | (green << 8) | (static_cast<uint32_t>(blue) << 16);
}

// Body and header slots.
enum ListSlot : int32_t {
    kListBackground = 0,
    kListText = 1,
    kListSelectedText = 2,
    kListFocusedFill = 3,
    kListUnfocusedFill = 4,
    kListRowFill = 6,
    kListDetailsText = 7,
    kListDetailsTitle = 8,
    kListStripeFill = 9,
    kListSlotCount = 10,
};

// Scroll bar slots.
enum BarSlot : int32_t {
    kBarTrack = 0,
    kBarThumb = 1,
    kBarText = 2,
    kBarPressed = 3,
    kBarPressedText = 4,
    kBarTriangle = 5,
    kBarSlotCount = 6,
};

struct ListStyleEntry {
    uint32_t style = 0;
    int64_t endColor = -1; // gradient end colour, -1 for none
    std::string image;     // file of an image entry
    bool hasBrush = false; // fills with the main colour
    bool hasPen = false;   // a border of penColor
    uint32_t penColor = 0;

    uint32_t Color() const { return style & 0xFFFFFF; }
    bool IsImage() const { return (style & 0xFF000000u) == kStyleImage; }
    bool IsGradient() const {
        return !IsImage() && endColor >= 0 &&
               (style & (kStyleHorizontalGradient | kStyleVerticalGradient)) != 0;
    }
    bool IsColorOnly() const { return !IsImage() && (style & kStyleColorOnly) != 0; }
    // Draws nothing at all.
    bool IsEmpty() const { return !IsImage() && !IsGradient() && !hasBrush && !hasPen; }
};

struct ListStyles {
    std::vector<ListStyleEntry> body = std::vector<ListStyleEntry>(kListSlotCount);
    std::vector<ListStyleEntry> header = std::vector<ListStyleEntry>(kListSlotCount);
    std::vector<ListStyleEntry> bar = std::vector<ListStyleEntry>(kBarSlotCount);
    std::vector<ListStyleEntry> hbar = std::vector<ListStyleEntry>(kBarSlotCount);
};

// The platform's system colours (in the default skins' palette); 0 for an index
// the platform does not know.
uint32_t SystemColor(int32_t index);

// Reads a value into an entry for a slot. False when a malformed "#" or "rgb" form
// abandons the value; the entry is then left as it was. Images are looked for in
// imageFolder.
bool ParseStyleValue(const std::string& value, int32_t slot, bool colorOnly,
                     const std::string& imageFolder, ListStyleEntry* entry);

// Fills the tables from the four sections of the "ListControl" style; keys and
// sections the tables do not know are skipped.
void ApplyStyleSheet(const StyleSheet& sheet, const std::string& imageFolder, ListStyles* styles);

// One body entry as a plain fill.
void SetStyle(ListStyles* styles, int32_t slot, uint32_t color);

// The list as the default skins draw it.
ListStyles DefaultListStyles();

} // namespace tonilo
