#include "ui/LevelMeterFeed.h"

#include "skin/SkinLevel.h"

namespace tonilo {

void LevelMeterFeed::Bind(SkinLevel* meter) {
    meter_ = meter;
    if (meter_)
        meter_->SetRange(255);
}

void LevelMeterFeed::Tick(const Source& source) {
    if (next_ >= count_) {
        count_ = source ? source(levels_.data(), static_cast<uint32_t>(levels_.size())) : 0;
        if (count_ > levels_.size())
            count_ = static_cast<uint32_t>(levels_.size());
        next_ = 0;
    }
    if (next_ < count_ && meter_)
        meter_->SetValue(levels_[next_]);
    if (next_ < count_)
        ++next_;
}

void LevelMeterFeed::Stop() {
    count_ = 0;
    next_ = 0;
    if (meter_)
        meter_->SetValue(0);
}

} // namespace tonilo
