#pragma once
// The numbers of a recording as the properties and export dialogs and the
// settings' preset lines show them: sizes, lengths and format lines. Unit
// words come from the string table; the group separator is always ",".
#include <cstdint>
#include <string>

namespace tonilo {

// "1,234,567 bytes": groups of three digits, then the word for bytes.
std::string SizeWithGroupsText(uint64_t bytes);

// "1 hours 02 minutes 03 seconds", "1 minutes 01 seconds", "5 seconds": the
// leading parts that are 0 are left out, the later ones have two digits.
std::string LengthText(uint64_t milliseconds);

// "%d GB", "%d MB", "%d kB" or "%d B": decimal units, truncated.
std::string ShortSizeText(uint64_t bytes);

// "WAV, 44100 Hz, stereo, 16 bits, ": the extension in capitals and the PCM
// format, ready for a size to follow.
std::string FormatLineText(const std::string& extension, uint32_t rate, uint16_t channels,
                           uint16_t bits);

// The format line followed by the short size.
std::string ShortFormatDescription(const std::string& extension, uint32_t rate, uint16_t channels,
                                   uint16_t bits, uint64_t size);

// "MP3, 22050 Hz, 16 bits, mono, 32 kbps": a quality preset in one line.
std::string PresetDescription(const std::string& extension, uint32_t rate, uint16_t bits,
                              uint16_t channels, uint32_t kbps);

// "2 hours 5 minutes 9 seconds", the shorter forms without the leading zero
// parts: how long the free space lasts at a bit rate.
std::string RemainingTimeText(uint64_t seconds);

// ASCII capitals: extensions are shown this way whatever the locale.
std::string UpperCaseExtension(const std::string& extension);

} // namespace tonilo
