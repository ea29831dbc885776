#include "tests/codecs/CodecTestSupport.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "codecs/wav/WavFormats.h"

namespace tonilo::test {

std::vector<int16_t> MakeSweep(uint32_t rate, uint16_t channels, double seconds) {
    size_t frames = static_cast<size_t>(rate * seconds);
    std::vector<int16_t> samples(frames * channels);
    double phase = 0;
    for (size_t frame = 0; frame < frames; ++frame) {
        double t = static_cast<double>(frame) / rate;
        double frequency = 220.0 + 180.0 * t;
        phase += 2 * M_PI * frequency / rate;
        for (uint16_t channel = 0; channel < channels; ++channel)
            samples[frame * channels + channel] =
                static_cast<int16_t>(12000 * std::sin(phase + channel * 0.7));
    }
    return samples;
}

std::vector<uint8_t> AsBytes(const std::vector<int16_t>& samples) {
    std::vector<uint8_t> bytes(samples.size() * 2);
    std::memcpy(bytes.data(), samples.data(), bytes.size());
    return bytes;
}

RecordingFormat MakeRecordingFormat(uint32_t rate, uint16_t bits, uint16_t channels,
                                    uint8_t quality) {
    RecordingFormat format{};
    format.format = MakePcmFormat(rate, bits, channels);
    format.format.cbSize = 18;
    format.extra = quality;
    return format;
}

namespace {

void* CreateFrom(FormatsFunction formats, const char* name, uint32_t kind) {
    const FormatRecord* records = nullptr;
    uint32_t count = 0;
    if (!formats(&records, &count))
        return nullptr;
    for (uint32_t i = 0; i < count; ++i) {
        if (records[i].kind == kind && std::strcmp(records[i].name, name) == 0) {
            void* object = nullptr;
            return records[i].factory(&object, &records[i]) ? object : nullptr;
        }
    }
    return nullptr;
}

} // namespace

AudioEncoder* CreateEncoderFrom(FormatsFunction formats, const char* name) {
    return static_cast<AudioEncoder*>(CreateFrom(formats, name, FORMAT_KIND_ENCODER));
}

AudioDecoder* CreateDecoderFrom(FormatsFunction formats, const char* name) {
    return static_cast<AudioDecoder*>(CreateFrom(formats, name, FORMAT_KIND_DECODER));
}

std::vector<uint8_t> EncodeAll(AudioEncoder* encoder, const RecordingFormat& format,
                               const std::vector<uint8_t>& pcm, size_t chunkBytes) {
    ShapedMemoryStream stream;
    if (!encoder->Open(&stream, &format))
        return {};
    std::vector<uint8_t> chunk;
    for (size_t offset = 0; offset < pcm.size(); offset += chunkBytes) {
        size_t take = std::min(chunkBytes, pcm.size() - offset);
        chunk.assign(pcm.begin() + offset, pcm.begin() + offset + take);
        AudioBuffer buffer{chunk.data(), static_cast<uint32_t>(take), static_cast<uint32_t>(take)};
        if (!encoder->Encode(&buffer))
            return {};
    }
    if (!encoder->Close())
        return {};
    return stream.Bytes();
}

std::vector<uint8_t> DecodeRest(AudioDecoder* decoder, uint32_t bufferBytes) {
    std::vector<uint8_t> pcm;
    std::vector<uint8_t> chunk(bufferBytes);
    for (int round = 0; round < 1000000; ++round) {
        AudioBuffer buffer{chunk.data(), bufferBytes, 0};
        if (!decoder->Decode(&buffer))
            break;
        if (buffer.used > bufferBytes)
            return {};
        pcm.insert(pcm.end(), chunk.begin(), chunk.begin() + buffer.used);
    }
    return pcm;
}

DecodeResult DecodeAll(AudioDecoder* decoder, ByteStream* stream, uint32_t bufferBytes) {
    DecodeResult result;
    result.opened = decoder->Open(stream, &result.info);
    if (result.opened)
        result.pcm = DecodeRest(decoder, bufferBytes);
    return result;
}

DecodeResult DecodeBytes(FormatsFunction formats, const char* decoderName,
                         std::vector<uint8_t> bytes, uint32_t bufferBytes) {
    ShapedMemoryStream stream(std::move(bytes));
    CodecPointer<AudioDecoder> decoder(CreateDecoderFrom(formats, decoderName));
    return DecodeAll(decoder.get(), &stream, bufferBytes);
}

std::vector<uint8_t> EncodeSweepWith(FormatsFunction formats, const char* encoderName,
                                     uint32_t rate, uint16_t channels, double seconds,
                                     uint8_t quality, std::vector<uint8_t>* pcm) {
    auto samples = AsBytes(MakeSweep(rate, channels, seconds));
    if (pcm != nullptr)
        *pcm = samples;
    CodecPointer<AudioEncoder> encoder(CreateEncoderFrom(formats, encoderName));
    return EncodeAll(encoder.get(), MakeRecordingFormat(rate, 16, channels, quality), samples);
}

std::string WriteSweepWav(const std::string& path, uint32_t rate, uint16_t channels,
                          double seconds) {
    CodecPointer<AudioEncoder> encoder(CreateEncoderFrom(codecs::GetWavFormats, "WAV encoder"));
    // One large piece: the file is the test's input, not what it tests.
    WriteWholeFile(path, EncodeAll(encoder.get(), MakeRecordingFormat(rate, 16, channels),
                                   AsBytes(MakeSweep(rate, channels, seconds)), 1 << 20));
    return path;
}

bool RunQuietly(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str()) == 0;
}

std::string CaptureOutput(const std::string& command) {
    std::string output;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (pipe == nullptr)
        return output;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr)
        output += line;
    pclose(pipe);
    return output;
}

} // namespace tonilo::test
