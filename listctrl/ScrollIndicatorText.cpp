#include "listctrl/ScrollIndicatorText.h"

#include <cstdio>

namespace tonilo {

std::string ScrollIndicatorSize(int64_t bytes) {
    constexpr int64_t kKilo = 1024, kMega = 1048576, kGiga = 1073741824;
    char text[48];
    if (bytes <= kKilo)
        std::snprintf(text, sizeof text, "%lld\nB", static_cast<long long>(bytes));
    else if (bytes <= 10 * kKilo)
        std::snprintf(text, sizeof text, "%.1f\nKB", static_cast<double>(bytes) / kKilo);
    else if (bytes <= kMega)
        std::snprintf(text, sizeof text, "%lld\nKB", static_cast<long long>(bytes / kKilo));
    else if (bytes <= 10 * kMega)
        std::snprintf(text, sizeof text, "%.1f\nMB", static_cast<double>(bytes) / kMega);
    else if (bytes <= kGiga)
        std::snprintf(text, sizeof text, "%lld\nMB", static_cast<long long>(bytes / kMega));
    else
        std::snprintf(text, sizeof text, "%lld\nGB", static_cast<long long>(bytes / kGiga));
    return text;
}

} // namespace tonilo
