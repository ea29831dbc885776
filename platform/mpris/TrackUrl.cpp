#include "platform/mpris/TrackUrl.h"

#include <filesystem>
#include <system_error>

namespace tonilo {
namespace {

bool HasScheme(const std::string& text) {
    // scheme = ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) followed by "://"
    size_t colon = text.find("://");
    if (colon == std::string::npos || colon == 0)
        return false;
    for (size_t i = 0; i < colon; ++i) {
        char c = text[i];
        bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
        bool other = (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!alpha && (i == 0 || !other))
            return false;
    }
    return true;
}

} // namespace

std::string TrackUrl(const std::string& path) {
    if (path.empty())
        return std::string();
    if (HasScheme(path))
        return path;
    std::string absolute = path;
    if (path[0] != '/') {
        std::error_code error;
        std::filesystem::path full = std::filesystem::absolute(path, error);
        if (!error)
            absolute = full.string();
    }
    static const char kHex[] = "0123456789ABCDEF";
    std::string url = "file://";
    for (unsigned char c : absolute) {
        bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '-' || c == '.' || c == '_' || c == '~' || c == '/';
        if (keep) {
            url += static_cast<char>(c);
        } else {
            url += '%';
            url += kHex[c >> 4];
            url += kHex[c & 15];
        }
    }
    return url;
}

std::string TrackObjectPath(uint64_t number) {
    if (number == 0)
        return "/org/mpris/MediaPlayer2/TrackList/NoTrack";
    return "/org/tonilo/track/" + std::to_string(number);
}

} // namespace tonilo
