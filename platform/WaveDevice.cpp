#include "platform/WaveDevice.h"

#include <atomic>

namespace tonilo {
namespace {
std::atomic<WaveDeviceProvider*> installedProvider{nullptr};
}

bool PrepareWaveHeader(WAVEHDR* header) {
    if (!header || !header->lpData)
        return false;
    header->dwFlags = (header->dwFlags & ~WHDR_DONE) | WHDR_PREPARED;
    return true;
}

bool UnprepareWaveHeader(WAVEHDR* header) {
    if (!header || (header->dwFlags & WHDR_INQUEUE))
        return false;
    header->dwFlags &= ~WHDR_PREPARED;
    return true;
}

void SetWaveDeviceProvider(WaveDeviceProvider* provider) {
    installedProvider = provider;
}
WaveDeviceProvider* GetWaveDeviceProvider() {
    return installedProvider;
}

std::unique_ptr<WaveInput> OpenWaveInput(const WAVEFORMATEX& format, ThreadId callbackThread) {
    WaveDeviceProvider* provider = installedProvider;
    return provider ? provider->OpenInput(format, callbackThread) : nullptr;
}

std::unique_ptr<WaveOutput> OpenWaveOutput(const WAVEFORMATEX& format, ThreadId callbackThread) {
    WaveDeviceProvider* provider = installedProvider;
    return provider ? provider->OpenOutput(format, callbackThread) : nullptr;
}

} // namespace tonilo
