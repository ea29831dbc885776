#include "ui/InformationTexts.h"

#include <cinttypes>
#include <cstdio>

#include "platform/LanguageResources.h"

namespace tonilo {
namespace {

// The string-table ids of the unit words and channel names.
constexpr uint32_t kHoursWord = 13027;
constexpr uint32_t kMinutesWord = 13028;
constexpr uint32_t kSecondsWord = 13029;
constexpr uint32_t kBytesWord = 30134;
constexpr uint32_t kMonoWord = 30135;
constexpr uint32_t kStereoWord = 30136;

template <typename... Values> std::string Format(const char* format, Values... values) {
    char text[256];
    std::snprintf(text, sizeof text, format, values...);
    return text;
}

std::string ChannelsWord(uint16_t channels) {
    return LoadResourceString(channels == 2 ? kStereoWord : kMonoWord);
}

// "h hours m minutes s seconds" without the leading parts that are 0; the
// properties dialog pads the later parts to two digits, the settings do not.
std::string HoursMinutesSeconds(uint64_t seconds, bool padded) {
    const uint64_t h = seconds / 3600;
    const unsigned m = static_cast<unsigned>(seconds % 3600 / 60);
    const unsigned s = static_cast<unsigned>(seconds % 60);
    const std::string hours = LoadResourceString(kHoursWord);
    const std::string minutes = LoadResourceString(kMinutesWord);
    const std::string secondsWord = LoadResourceString(kSecondsWord);
    if (h > 0)
        return Format(padded ? "%" PRIu64 " %s %02u %s %02u %s" : "%" PRIu64 " %s %u %s %u %s", h,
                      hours.c_str(), m, minutes.c_str(), s, secondsWord.c_str());
    if (m > 0)
        return Format(padded ? "%u %s %02u %s" : "%u %s %u %s", m, minutes.c_str(), s,
                      secondsWord.c_str());
    return Format("%u %s", s, secondsWord.c_str());
}

} // namespace

std::string SizeWithGroupsText(uint64_t bytes) {
    const std::string word = LoadResourceString(kBytesWord);
    const uint64_t g = bytes / 1000000000;
    const unsigned m = static_cast<unsigned>(bytes % 1000000000 / 1000000);
    const unsigned k = static_cast<unsigned>(bytes % 1000000 / 1000);
    const unsigned r = static_cast<unsigned>(bytes % 1000);
    if (g > 0)
        return Format("%" PRIu64 ",%03u,%03u,%03u %s", g, m, k, r, word.c_str());
    if (m > 0)
        return Format("%u,%03u,%03u %s", m, k, r, word.c_str());
    if (k > 0)
        return Format("%u,%03u %s", k, r, word.c_str());
    return Format("%u %s", r, word.c_str());
}

std::string LengthText(uint64_t milliseconds) {
    return HoursMinutesSeconds(milliseconds / 1000, true);
}

std::string ShortSizeText(uint64_t bytes) {
    if (bytes >= 1000000000)
        return Format("%" PRIu64 " GB", bytes / 1000000000);
    if (bytes >= 1000000)
        return Format("%" PRIu64 " MB", bytes / 1000000);
    if (bytes >= 1000)
        return Format("%" PRIu64 " kB", bytes / 1000);
    return Format("%" PRIu64 " B", bytes);
}

std::string UpperCaseExtension(const std::string& extension) {
    std::string upper = extension;
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::string FormatLineText(const std::string& extension, uint32_t rate, uint16_t channels,
                           uint16_t bits) {
    return UpperCaseExtension(extension) + ", " +
           Format("%u Hz, %s, %u bits, ", rate, ChannelsWord(channels).c_str(),
                  static_cast<unsigned>(bits));
}

std::string ShortFormatDescription(const std::string& extension, uint32_t rate, uint16_t channels,
                                   uint16_t bits, uint64_t size) {
    return FormatLineText(extension, rate, channels, bits) + ShortSizeText(size);
}

std::string PresetDescription(const std::string& extension, uint32_t rate, uint16_t bits,
                              uint16_t channels, uint32_t kbps) {
    return Format("%s, %u Hz, %u bits, %s, %u kbps", UpperCaseExtension(extension).c_str(), rate,
                  static_cast<unsigned>(bits), ChannelsWord(channels).c_str(), kbps);
}

std::string RemainingTimeText(uint64_t seconds) {
    return HoursMinutesSeconds(seconds, false);
}

} // namespace tonilo
