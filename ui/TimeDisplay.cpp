#include "ui/TimeDisplay.h"

#include <algorithm>

#include "skin/SkinTime.h"

namespace tonilo {
namespace {

int32_t Clamp(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

} // namespace

void TimeDisplay::Show(int64_t position) {
    if (!time_)
        return;
    time_->SetTime(0, Clamp(position));
    time_->SetTime(1, Clamp(position - reference_));
}

void TimeDisplay::Clear() {
    if (!time_)
        return;
    time_->SetTime(0, 0);
    time_->SetTime(1, 0);
}

} // namespace tonilo
