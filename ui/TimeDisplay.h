#pragma once
// The `Time` element's two lines: elapsed milliseconds, and elapsed minus the
// reference duration (the file's length while playing, the longest possible
// recording while recording), a negative remaining time.
#include <cstdint>

namespace tonilo {

class SkinTime;

class TimeDisplay {
public:
    void Bind(SkinTime* time) { time_ = time; }
    void SetReference(int64_t milliseconds) { reference_ = milliseconds; }
    int64_t Reference() const { return reference_; }
    void Show(int64_t position);
    // Both lines 0 (nothing open).
    void Clear();

private:
    SkinTime* time_ = nullptr;
    int64_t reference_ = 0;
};

} // namespace tonilo
