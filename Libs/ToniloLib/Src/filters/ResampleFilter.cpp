#include "Libs/ToniloLib/Src/filters/ResampleFilter.h"

#include <algorithm>
#include <cstring>

#include "Libs/ToniloLib/Src/filters/SampleAccess.h"
#include "Libs/ToniloLib/Src/filters/SampleConversion.h"
#include "platform/ErrorLog.h"

namespace tonilo {
namespace {

bool IsUsable(const WAVEFORMATEX& format) {
    return format.nChannels != 0 && format.nSamplesPerSec != 0 && format.wBitsPerSample != 0;
}

bool IsSupportedDepth(uint16_t bits) {
    return bits == 8 || bits == 16;
}

} // namespace

bool ResampleFilter::AcceptsFormat(const WAVEFORMATEX& format) {
    return IsUsable(format);
}

void ResampleFilter::ResetState() {
    workBytes_ = 0;
    quality_ = 0;
    resampler_.reset();
    lastError_ = nullptr;
    outputFormat_ = inputFormat_;
}

bool ResampleFilter::SetQuality(uint32_t quality) {
    CriticalSectionLock guard(lock_);
    if (quality > BandlimitedResampler::kLargeFilter)
        return false;
    quality_ = quality;
    resampler_.reset();
    return true;
}

bool ResampleFilter::SetOutputFormat(const WAVEFORMATEX& format) {
    CriticalSectionLock guard(lock_);
    if (!IsUsable(format))
        return false;
    outputFormat_ = format;
    outputFormat_.nBlockAlign = static_cast<uint16_t>(format.wBitsPerSample * format.nChannels / 8);
    resampler_.reset();
    return true;
}

uint32_t ResampleFilter::ControlParameter(uint32_t command, uint32_t a, uint32_t b) {
    switch (command) {
    case CTL_RESAMPLE_QUALITY:
        SetQuality(a);
        return 0;
    case CTL_RESAMPLE_OUTPUT_FORMAT:
        // The argument carries a pointer only where pointers are 32 bits wide;
        // elsewhere callers use SetOutputFormat.
        if constexpr (sizeof(void*) == sizeof(uint32_t)) {
            const auto* format = reinterpret_cast<const WAVEFORMATEX*>(static_cast<uintptr_t>(a));
            if (format)
                SetOutputFormat(*format);
        }
        return 0;
    default:
        return 0;
    }
}

uint32_t ResampleFilter::SourceToOutput(uint32_t bytes) {
    const WAVEFORMATEX& in = inputFormat_;
    const WAVEFORMATEX& out = outputFormat_;
    if (!IsUsable(in) || !IsUsable(out))
        return bytes;
    const uint32_t channels = std::max(in.nChannels, out.nChannels);
    const double ratio =
        static_cast<double>(out.nSamplesPerSec) * channels * 16 /
        (static_cast<double>(in.wBitsPerSample) * in.nSamplesPerSec * in.nChannels);
    const double scaled = bytes * ratio;
    const uint32_t x = scaled >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(scaled);
    const uint32_t align = static_cast<uint32_t>(out.wBitsPerSample) * out.nChannels / 8;
    if (align == 0)
        return x;
    if (x < align)
        return 0;
    const uint32_t remainder = x % align;
    return remainder != 0 ? x + remainder - align : x;
}

uint32_t ResampleFilter::OutputToSource(uint32_t bytes) {
    const WAVEFORMATEX& in = inputFormat_;
    const WAVEFORMATEX& out = outputFormat_;
    if (!IsUsable(in) || !IsUsable(out))
        return bytes;
    const uint32_t channels = std::max(in.nChannels, out.nChannels);
    const double ratio = static_cast<double>(in.nSamplesPerSec) * in.wBitsPerSample * in.nChannels /
                         (static_cast<double>(channels) * out.nSamplesPerSec * 16);
    const double scaled = bytes * ratio;
    const uint32_t x = scaled >= 4294967295.0 ? 0xFFFFFFFFu : static_cast<uint32_t>(scaled);
    const uint32_t align = static_cast<uint32_t>(in.wBitsPerSample) * in.nChannels / 8;
    if (align == 0)
        return x;
    if (x < align)
        return 0;
    return x + x % align - align;
}

bool ResampleFilter::ConvertChannels(AudioBuffer& buffer) {
    const uint32_t in = inputFormat_.nChannels, out = outputFormat_.nChannels;
    if (in == out)
        return true;
    if (in == 1 && out == 2) {
        const uint32_t frames = buffer.used / 2;
        if (static_cast<uint64_t>(frames) * 4 > buffer.size)
            return false; // no room for the doubled length
        ConvertMonoToStereo(buffer.data, frames);
        buffer.used = frames * 4;
        return true;
    }
    if (in == 2 && out == 1) {
        const uint32_t frames = buffer.used / 4;
        ConvertStereoToMono(buffer.data, frames);
        buffer.used = frames * 2;
        return true;
    }
    return false;
}

bool ResampleFilter::ConvertRate(AudioBuffer& buffer, uint32_t inputFrames) {
    const uint32_t channels = inputFormat_.nChannels;
    const uint32_t samples = inputFrames * channels;
    // The input moves to the work buffer, the output is written into the chain's.
    const uint32_t needed = samples + 50 * channels;
    if (work_.size() < needed) {
        work_.clear();
        work_.shrink_to_fit();
        work_.resize(needed);
    }
    workBytes_ = samples * 2;
    if (inputFormat_.wBitsPerSample == 8) {
        for (uint32_t i = 0; i < samples; ++i)
            work_[i] = EightToSixteen(buffer.data[i]);
    } else {
        std::memcpy(work_.data(), buffer.data, static_cast<size_t>(samples) * 2);
    }
    // Output frames are bounded by the room for them in 16 bits at the wider
    // channel count (the buffer grows to that before any narrowing to 8 bits).
    const uint32_t widest = std::max<uint32_t>(channels, outputFormat_.nChannels);
    const uint32_t room = buffer.size / (2 * widest);
    std::vector<int16_t> produced;
    int16_t* target = reinterpret_cast<int16_t*>(buffer.data);
    const bool aligned = reinterpret_cast<uintptr_t>(buffer.data) % alignof(int16_t) == 0;
    if (!aligned) {
        produced.resize(static_cast<size_t>(room) * channels);
        target = produced.data();
    }
    const char* error = nullptr;
    const int64_t frames = resampler_->Run(work_.data(), inputFrames, target, room, &error);
    if (frames < 0) {
        lastError_ = error;
        TONILO_LOG_ERROR(kNoErrorCode, "%s", error ? error : "resampling failed");
        return false;
    }
    if (!aligned && frames > 0) // an empty room has no vector to copy from
        std::memcpy(buffer.data, produced.data(), static_cast<size_t>(frames) * channels * 2);
    buffer.used = static_cast<uint32_t>(frames) * channels * 2;
    return ConvertChannels(buffer);
}

bool ResampleFilter::Transform(AudioBuffer& buffer) {
    const WAVEFORMATEX& in = inputFormat_;
    const WAVEFORMATEX& out = outputFormat_;
    if (in.nSamplesPerSec == out.nSamplesPerSec && in.nChannels == out.nChannels &&
        in.wBitsPerSample == out.wBitsPerSample)
        return true;
    if (!IsUsable(in) || !IsUsable(out) || !IsSupportedDepth(in.wBitsPerSample) ||
        !IsSupportedDepth(out.wBitsPerSample))
        return false;
    if (in.nChannels != out.nChannels && (in.nChannels > 2 || out.nChannels > 2))
        return false;
    lastError_ = nullptr;
    if (!resampler_) {
        const char* error = nullptr;
        resampler_ = BandlimitedResampler::Create(
            quality_, static_cast<double>(out.nSamplesPerSec) / in.nSamplesPerSec, in.nChannels,
            &error);
        if (!resampler_) {
            lastError_ = error;
            if (error)
                TONILO_LOG_ERROR(kNoErrorCode, "%s", error);
            return false;
        }
    }
    const uint32_t inputBytesPerSample = in.wBitsPerSample / 8;
    const uint32_t inputFrames = buffer.used / (inputBytesPerSample * in.nChannels);
    const uint64_t expectedFrames =
        static_cast<uint64_t>(inputFrames) * out.nSamplesPerSec / in.nSamplesPerSec;
    if (static_cast<uint64_t>(out.wBitsPerSample) * out.nChannels * expectedFrames / 8 >
        buffer.size)
        return false;

    bool leftEightBit = false;
    if (in.nSamplesPerSec == out.nSamplesPerSec) {
        buffer.used = inputFrames * inputBytesPerSample * in.nChannels;
        if (in.wBitsPerSample == 8) {
            if (out.wBitsPerSample == 8 && in.nChannels == out.nChannels) {
                leftEightBit = true;
            } else {
                if (static_cast<uint64_t>(buffer.used) * 2 > buffer.size)
                    return false;
                ConvertEightToSixteen(buffer.data, buffer.used);
                buffer.used *= 2;
            }
        }
        if (!leftEightBit && !ConvertChannels(buffer))
            return false;
    } else if (!ConvertRate(buffer, inputFrames)) {
        return false;
    }
    if (out.wBitsPerSample == 8 && !leftEightBit) {
        ConvertSixteenToEight(buffer.data, buffer.used / 2);
        buffer.used /= 2;
    }
    return true;
}

} // namespace tonilo
