#pragma once
// Helpers shared by the codec tests: test signals, encoding into and decoding
// from memory streams, creating codecs from a plug-in's format records.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "codecs/include/ToniloPlugin.h"
#include "tests/codecs/ShapedMemoryStream.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo::test {

using FormatsFunction = bool (*)(const FormatRecord**, uint32_t*);

// A copy of a field of a packed record: gtest takes its arguments by
// reference, which a packed field cannot be bound to.
template <typename Value> Value Plain(Value value) {
    return value;
}

template <typename Codec> struct ReleaseCodec {
    void operator()(Codec* codec) const {
        if (codec != nullptr)
            codec->Release();
    }
};
template <typename Codec> using CodecPointer = std::unique_ptr<Codec, ReleaseCodec<Codec>>;

// 16-bit interleaved samples of a tone that sweeps slowly upwards, so every
// stretch differs from every other (a seek to the wrong place shows).
std::vector<int16_t> MakeSweep(uint32_t rate, uint16_t channels, double seconds);
std::vector<uint8_t> AsBytes(const std::vector<int16_t>& samples);

RecordingFormat MakeRecordingFormat(uint32_t rate, uint16_t bits, uint16_t channels,
                                    uint8_t quality = 0);

// Creates the named object from a plug-in's records; null when missing.
AudioEncoder* CreateEncoderFrom(FormatsFunction formats, const char* name);
AudioDecoder* CreateDecoderFrom(FormatsFunction formats, const char* name);

// Encodes pcm in pieces of chunkBytes and closes; the bytes written.
std::vector<uint8_t> EncodeAll(AudioEncoder* encoder, const RecordingFormat& format,
                               const std::vector<uint8_t>& pcm, size_t chunkBytes = 8820);

struct DecodeResult {
    bool opened = false;
    MediaInfo info{};
    std::vector<uint8_t> pcm;
};

// Opens and decodes everything; stops after a bounded number of buffers so a
// decoder that never ends fails the test instead of hanging it.
DecodeResult DecodeAll(AudioDecoder* decoder, ByteStream* stream, uint32_t bufferBytes = 16384);
// Decodes what is left after Open (and perhaps a Seek).
std::vector<uint8_t> DecodeRest(AudioDecoder* decoder, uint32_t bufferBytes = 16384);
// A fresh decoder from the plug-in's records over the bytes in memory.
DecodeResult DecodeBytes(FormatsFunction formats, const char* decoderName,
                         std::vector<uint8_t> bytes, uint32_t bufferBytes = 16384);
// Encodes seconds of a sweep with a fresh encoder; pcm receives the input.
std::vector<uint8_t> EncodeSweepWith(FormatsFunction formats, const char* encoderName,
                                     uint32_t rate, uint16_t channels, double seconds,
                                     uint8_t quality = 0, std::vector<uint8_t>* pcm = nullptr);

// Writes seconds of a 16-bit sweep as a WAV file through the WAV encoder;
// returns path.
std::string WriteSweepWav(const std::string& path, uint32_t rate, uint16_t channels,
                          double seconds);

// Runs a shell command quietly; true when it exited with 0.
bool RunQuietly(const std::string& command);
// The standard output of a shell command.
std::string CaptureOutput(const std::string& command);

} // namespace tonilo::test
