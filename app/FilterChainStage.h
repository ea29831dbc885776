#pragma once
// An application filter chain run as the transcoder's stage: the convert and
// filter commands and the export of recordings.
#include "app/FilterChainBuilder.h"
#include "formats/Transcoder.h"

namespace tonilo {

class FilterChainStage : public TranscodeStage {
public:
    explicit FilterChainStage(FilterChainBuilder* chain) : chain_(chain) {}

    bool Prepare(const WAVEFORMATEX& input, WAVEFORMATEX* output) override {
        return chain_->Prepare(input, output);
    }
    uint32_t OutputBytesFor(uint32_t inputBytes) override {
        return chain_->OutputBytesFor(inputBytes);
    }
    bool Process(AudioBuffer* buffer) override { return chain_->Process(buffer); }

private:
    FilterChainBuilder* chain_;
};

} // namespace tonilo
