#pragma once
// The codec plug-in contract, which a codec plug-in includes together with
// RefCounted.h for its objects' reference counts.
//
// A plug-in is a shared library in the program folder's Codecs/ that exports
//   extern "C" uint32_t ToniloPluginAbi;            // == TONILO_PLUGIN_ABI
//   extern "C" bool GetFormats(const FormatRecord** records, uint32_t* count,
//                              int32_t libraryIndex);
// The host checks the ABI word before touching anything else. Only plain types
// cross the boundary: no std:: object is passed, returned or thrown.
//
// Threads: the host calls a decoder from the player's renderer thread and an
// encoder from the recorder's delivery thread, always under the engine's codec
// lock, so one codec object never sees two calls at once. Factories and
// GetFormats are called under the format registry's lock.
#include <cstddef>
#include <cstdint>

#define TONILO_PLUGIN_ABI 1u

namespace tonilo {

// The platform's PCM format record: 18 bytes, packed, little-endian.
#pragma pack(push, 1)
struct WAVEFORMATEX {
    uint16_t wFormatTag;      // 1 for PCM
    uint16_t nChannels;       // 1 or 2
    uint32_t nSamplesPerSec;  // Hz
    uint32_t nAvgBytesPerSec; // derived: rate * block align
    uint16_t nBlockAlign;     // derived: bits * channels / 8
    uint16_t wBitsPerSample;  // 8 or 16
    uint16_t cbSize;          // carried along, never interpreted
};

// The format the recorder hands an encoder: the 18-byte record and one more byte
// carried along unchanged.
struct RecordingFormat {
    WAVEFORMATEX format;
    uint8_t extra; // the byte after the format in a quality preset: the quality
                   // index, which the shipped encoders take as their level
};

// What a decoder reports on Open: the decoded PCM format and the duration.
struct MediaInfo {
    WAVEFORMATEX format;      // bytes 0..17
    uint8_t decoderOwned[10]; // bytes 18..27, the decoder's own
    uint32_t durationMs;      // bytes 28..31
};
#pragma pack(pop)
static_assert(sizeof(WAVEFORMATEX) == 18, "WAVEFORMATEX is 18 bytes");
static_assert(sizeof(RecordingFormat) == 19, "the recording format is 19 bytes");
static_assert(sizeof(MediaInfo) == 32, "MediaInfo is 32 bytes");

constexpr uint16_t WAVE_FORMAT_PCM = 1;

// Builds a PCM format with the derived fields filled in.
inline WAVEFORMATEX MakePcmFormat(uint32_t rate, uint16_t bits, uint16_t channels) {
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.nBlockAlign = static_cast<uint16_t>(bits * channels / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    format.wBitsPerSample = bits;
    format.cbSize = 0;
    return format;
}

// A buffer of audio bytes; laid out like the first fields of the platform's
// wave header so one can be handed on as the other. The caller owns the memory.
struct AudioBuffer {
    uint8_t* data; // start of the audio bytes
    uint32_t size; // capacity a component may fill or grow the content to
    uint32_t used; // valid bytes at data
};

// Byte streams handed to codecs. Positions and sizes are byte counts; GetSize is
// -1 when unknown (an HTTP answer without Content-Length). "Not supported"
// operations return 0. Slot order is part of the contract.
class ByteStream {
public:
    virtual intptr_t GetHandle() = 0;                                    // 0
    virtual void SetBufferSize(int32_t bytes) = 0;                       // 1
    [[nodiscard]] virtual int32_t Read(void* buffer, int32_t count) = 0; // 2
    // Zero-copy window: *window points into the stream's buffer, *count is the
    // wanted size in and the window's size out; returns the window size.
    [[nodiscard]] virtual int32_t Peek(const uint8_t** window, int32_t* count) = 0; // 3
    [[nodiscard]] virtual int32_t Write(const void* buffer, int32_t count) = 0;     // 4
    // origin 0 start, 1 current, 2 end (HTTP also 3: request again). -1 on failure.
    virtual int64_t Seek(int64_t offset, int32_t origin) = 0; // 5
    virtual int64_t Tell() = 0;                               // 6
    virtual int64_t GetSize() = 0;                            // 7
    virtual bool IsEnd() = 0;                                 // 8
    virtual int32_t Extension(uintptr_t argument) = 0;        // 9, forwarded
    virtual int32_t Reserved() = 0;                           // 10
    virtual void Release() = 0;                               // 11
    virtual ~ByteStream() = default;                          // 12
};

constexpr uint32_t DECODER_COMMAND_PLAYBACK_ENDED = 102;

// A decoder, as the player calls it. Created with one reference.
class AudioDecoder {
public:
    // Reads the stream's header and fills info; true on success.
    virtual bool Open(ByteStream* stream, MediaInfo* info) = 0; // 0
    // Fills buffer->data up to buffer->size and sets used; false at the end of
    // the stream or on error.
    virtual bool Decode(AudioBuffer* buffer) = 0; // 1
    // Command 102 (no arguments) when playback has ended; others are the codec's.
    virtual uint32_t Command(uint32_t command, uintptr_t a, uintptr_t b) = 0; // 2
    virtual uint32_t Forwarded3(uintptr_t argument) = 0;                      // 3
    virtual uint32_t Forwarded4(uintptr_t argument) = 0;                      // 4
    // Seeks to the position; mode is 1. Negative on failure.
    virtual int32_t Seek(uint32_t milliseconds, uint32_t mode) = 0; // 5
    virtual uint32_t Release() = 0;                                 // 6

protected:
    virtual ~AudioDecoder() = default;
};

// Encoder commands every encoder answers through Command.
constexpr uint32_t ENCODER_ACCEPTS_FORMAT = 202; // a: const WAVEFORMATEX*; non-zero if accepted
constexpr uint32_t ENCODER_QUALITY_LEVELS = 203; // number of quality levels, 0 = no choice
constexpr uint32_t ENCODER_BITRATE_KBPS = 204;   // a: const WAVEFORMATEX*, b: quality index
// Brings the file up to date with what was encoded so far (a WAV's RIFF sizes)
// and pushes the encoder's and the stream's buffers out, so a recording killed
// afterwards is still a valid file. No arguments; non-zero on success. The
// recorder sends it periodically while recording.
constexpr uint32_t ENCODER_UPDATE_HEADER = 205;

// An encoder, as the recorder calls it. Created with one reference.
class AudioEncoder {
public:
    virtual bool Open(ByteStream* stream, const RecordingFormat* format) = 0; // 0
    // False when the data cannot be written.
    virtual bool Encode(AudioBuffer* buffer) = 0;                             // 1
    virtual uint32_t Command(uint32_t command, uintptr_t a, uintptr_t b) = 0; // 2
    // The input format the encoder accepts (null when it has none yet).
    virtual bool GetFormat(const WAVEFORMATEX** format) = 0; // 3
    // Flushes and finishes the file.
    virtual bool Close() = 0;          // 4
    virtual uint32_t AddRef() = 0;     // 5
    virtual uint32_t Release() = 0;    // 6
    virtual ~AudioEncoder() = default; // 7
};

// Kinds of format entries.
constexpr uint32_t FORMAT_KIND_FILTER = 1;
constexpr uint32_t FORMAT_KIND_DECODER = 2;
constexpr uint32_t FORMAT_KIND_ENCODER = 4;

// Creates the object of an entry: stores a referenced object in *object and
// returns true; `entry` is the host's entry it was found by.
typedef bool (*FormatFactory)(void** object, const void* entry);

// One format of a plug-in, and the layout of the built-in filter table too.
struct FormatRecord {
    const char* name;       // e.g. "WAV encoder"
    const char* extensions; // each zero-terminated, the list ending with an empty
                            // string, e.g. "wav\0wave\0"; null for filters
    uint32_t kind;          // FORMAT_KIND_*
    uint32_t icon;          // icon identifier, 0 for none
    FormatFactory factory;
};

typedef bool (*GetFormatsFunction)(const FormatRecord** records, uint32_t* count,
                                   int32_t libraryIndex);

} // namespace tonilo

// Declares a plug-in's two exports; use once in the plug-in, at global scope.
#define TONILO_DECLARE_PLUGIN_EXPORTS                                                              \
    extern "C" __attribute__((visibility("default"))) const uint32_t ToniloPluginAbi;              \
    extern "C" __attribute__((visibility("default"))) bool GetFormats(                             \
        const tonilo::FormatRecord** records, uint32_t* count, int32_t libraryIndex);
