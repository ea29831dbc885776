#pragma once
// Feeds the level meter one stored level byte per refresh tick, refilling its
// store (up to 256 bytes) from the running audio when it runs dry.
#include <array>
#include <cstdint>
#include <functional>

namespace tonilo {

class SkinLevel;

class LevelMeterFeed {
public:
    // Writes up to `capacity` levels, returns how many.
    using Source = std::function<uint32_t(uint8_t* levels, uint32_t capacity)>;

    void Bind(SkinLevel* meter);
    // One refresh tick: the next stored level, refilling first when all are used.
    void Tick(const Source& source);
    // Meter to 0, stored levels dropped.
    void Stop();

private:
    SkinLevel* meter_ = nullptr;
    std::array<uint8_t, 256> levels_{};
    uint32_t count_ = 0;
    uint32_t next_ = 0;
};

} // namespace tonilo
