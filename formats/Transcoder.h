#pragma once
// Decodes one file or address and encodes it into a new file: the loop behind
// tonilo-tool convert and the export of recordings. The target is written
// under a hidden temporary name beside it and renamed into place only when
// complete, so a failed or cancelled run leaves neither a partial file nor a
// damaged older one. Runs on the caller's thread; the cancel flag may be set
// from any thread (or a signal handler).
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "codecs/include/ToniloPlugin.h"

namespace tonilo {

class FormatRegistry;

// Processing between decoder and encoder (the filter options plug in here).
class TranscodeStage {
public:
    // Learns the decoded format and tells the format it hands on.
    virtual bool Prepare(const WAVEFORMATEX& input, WAVEFORMATEX* output) = 0;
    // Bytes of output at most for this many bytes of input (buffer sizing).
    virtual uint32_t OutputBytesFor(uint32_t inputBytes) = 0;
    // Transforms buffer->used bytes in place, never beyond buffer->size.
    virtual bool Process(AudioBuffer* buffer) = 0;
    virtual ~TranscodeStage() = default;
};

struct TranscodeProgress {
    uint64_t doneMs;     // of the source, decoded so far
    uint32_t durationMs; // of the source, 0 when unknown
};

enum class TranscodeResult { Done, Cancelled, Failed };

// Where a failed run stopped, for callers that name the failure in their own
// words (the export reports it through the error log).
enum class TranscodeFailure {
    None,
    OpenSource,    // the file or address cannot be read
    NoDecoder,     // nothing decodes files like it
    DecoderOpen,   // damaged, or not what its name says
    Processing,    // the stage refused the format or failed on the audio
    NoEncoder,     // no such encoder, or none for the target's extension
    EncoderCreate, // the encoder's library cannot be loaded
    EncoderFormat, // the encoder does not take the format or the quality
    CreateTarget,  // the hidden partial file cannot be made
    EncoderOpen,   // the encoder cannot start the file
    Write,         // encoding or writing failed (full disk)
    TargetExists,  // a file of the target's name appeared and may not be replaced
    Move,          // the finished file cannot take the target's name
};

struct TranscodeRequest {
    std::string source;              // file name or http:// address
    std::string target;              // file name
    std::string encoderName;         // empty: the encoder registered for the target's extension
    int quality = -1;                // the encoder's quality index; -1: its middle level
    TranscodeStage* stage = nullptr; // optional, not owned
    std::function<void(const TranscodeProgress&)> progress; // optional
    const std::atomic<bool>* cancel = nullptr;              // optional
    // False: the finished file takes the target's name only while no file
    // has it (one that appeared during the run is kept, and the run fails).
    bool replaceExisting = true;
};

struct TranscodeReport {
    std::string error; // why it failed, for the user
    TranscodeFailure failure = TranscodeFailure::None;
    std::string encoderName; // the encoder used
    MediaInfo sourceInfo{};  // as the decoder reported it
    WAVEFORMATEX encodedFormat{};
    int quality = 0;
    uint32_t bitrateKbps = 0; // as the encoder states it
};

TranscodeResult Transcode(FormatRegistry* registry, const TranscodeRequest& request,
                          TranscodeReport* report);

} // namespace tonilo
