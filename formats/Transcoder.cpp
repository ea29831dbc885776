#include "formats/Transcoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "formats/FormatRegistry.h"
#include "formats/streams/StreamFactory.h"
#include "platform/AtomicFile.h"
#include "platform/PathParts.h"
#include "platform/PrivateFiles.h"

namespace tonilo {
namespace {

// About a third of a second of CD audio per round: large enough that the
// per-call costs vanish, small enough for smooth progress and quick Ctrl-C.
constexpr uint32_t kDecodeBytes = 65536;
constexpr int32_t kWriterCapacity = 256 * 1024;

template <typename Codec> struct ReleaseCodec {
    void operator()(Codec* codec) const {
        if (codec != nullptr)
            codec->Release();
    }
};
template <typename Codec> using Held = std::unique_ptr<Codec, ReleaseCodec<Codec>>;

std::string DescribeFormat(const WAVEFORMATEX& format) {
    char text[96];
    std::snprintf(text, sizeof text, "%u Hz %u-bit %s", format.nSamplesPerSec,
                  format.wBitsPerSample,
                  format.nChannels == 1   ? "mono"
                  : format.nChannels == 2 ? "stereo"
                                          : "multi-channel");
    return text;
}

// The hidden name the target is written under, beside it.
std::string PartialNameFor(const std::string& target) {
    return FolderPrefixOf(target) + "." + FileNameOf(target) + ".partial-" +
           std::to_string(getpid());
}

// The partial file is readable by its owner alone until it is complete: an
// export of a call recording is as private as the recording.
int CreatePartialFile(const std::string& path) {
    int descriptor;
    do {
        descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                            kPrivateFileMode);
    } while (descriptor < 0 && errno == EINTR);
    // A partial file left by an earlier run keeps its old mode: narrow it. File
    // systems without modes (FAT cards) refuse, and the export goes on.
    if (descriptor >= 0)
        (void)::fchmod(descriptor, kPrivateFileMode);
    return descriptor;
}

// The mode of the file a target replaces, else what any new file gets.
mode_t FinalModeFor(const std::string& target) {
    struct stat existing {};
    if (::stat(target.c_str(), &existing) == 0 && S_ISREG(existing.st_mode))
        return existing.st_mode & 07777;
    return UsualFileMode();
}

class Transcoding {
public:
    Transcoding(FormatRegistry* registry, const TranscodeRequest& request, TranscodeReport* report)
        : registry_(registry), request_(request), report_(report) {}
    ~Transcoding() {
        encoder_.reset();
        if (writer_ != nullptr)
            writer_->Release();
        decoder_.reset();
        if (source_ != nullptr)
            source_->Release();
        if (!partial_.empty())
            std::remove(partial_.c_str());
    }

    TranscodeResult Run() {
        if (!OpenSource() || !PrepareFormat() || !OpenTarget())
            return TranscodeResult::Failed;
        return Pump();
    }

private:
    bool Fail(TranscodeFailure failure, const std::string& message) {
        report_->failure = failure;
        report_->error = message;
        return false;
    }

    bool OpenSource() {
        if (OpenReadStream(&source_, request_.source.c_str(), kPlayerChunkSize,
                           kPlayerReadAheadSize, true) != 0)
            return Fail(TranscodeFailure::OpenSource, "cannot open " + request_.source);
        AudioDecoder* decoder = nullptr;
        if (!registry_->CreateDecoder(&decoder, request_.source.c_str(), nullptr) ||
            decoder == nullptr)
            return Fail(TranscodeFailure::NoDecoder,
                        "no decoder for files like " + request_.source);
        decoder_.reset(decoder);
        if (!decoder_->Open(source_, &report_->sourceInfo))
            return Fail(TranscodeFailure::DecoderOpen,
                        request_.source + " is damaged or not in the format its name says");
        return true;
    }

    bool PrepareFormat() {
        WAVEFORMATEX decoded = MakePcmFormat(report_->sourceInfo.format.nSamplesPerSec,
                                             report_->sourceInfo.format.wBitsPerSample,
                                             report_->sourceInfo.format.nChannels);
        decodedBlock_ = decoded.nBlockAlign;
        decodedBytesPerSecond_ = decoded.nAvgBytesPerSec;
        decodedRate_ = decoded.nSamplesPerSec;
        decodedSilence_ = decoded.wBitsPerSample == 8 ? 0x80 : 0;
        if (decodedBlock_ == 0 || decodedBytesPerSecond_ == 0)
            return Fail(TranscodeFailure::DecoderOpen,
                        request_.source + " has no usable audio format");
        WAVEFORMATEX output = decoded;
        if (request_.stage != nullptr && !request_.stage->Prepare(decoded, &output))
            return Fail(TranscodeFailure::Processing,
                        "cannot process " + DescribeFormat(decoded) + " audio");
        report_->encodedFormat =
            MakePcmFormat(output.nSamplesPerSec, output.wBitsPerSample, output.nChannels);
        return true;
    }

    bool OpenTarget() {
        FormatEntry entry;
        int32_t index = -1;
        if (!request_.encoderName.empty()) {
            if (!registry_->FindByNameOfKind(request_.encoderName.c_str(), FORMAT_KIND_ENCODER,
                                             &entry, &index))
                return Fail(TranscodeFailure::NoEncoder,
                            "no encoder named \"" + request_.encoderName + "\"");
        } else if (!registry_->FindByExtension(ExtensionOfName(request_.target).c_str(),
                                               FORMAT_KIND_ENCODER, &entry, &index)) {
            return Fail(TranscodeFailure::NoEncoder,
                        "no encoder writes files like " + request_.target + " (use --encoder)");
        }
        report_->encoderName = entry.name;
        AudioEncoder* encoder = nullptr;
        if (!registry_->CreateEncoder(&encoder, request_.target.c_str(), entry.name.c_str()) ||
            encoder == nullptr)
            return Fail(TranscodeFailure::EncoderCreate, "the " + entry.name + " cannot be loaded");
        encoder_.reset(encoder);

        const WAVEFORMATEX& format = report_->encodedFormat;
        if (encoder_->Command(ENCODER_ACCEPTS_FORMAT, reinterpret_cast<uintptr_t>(&format), 0) == 0)
            return Fail(TranscodeFailure::EncoderFormat, "the " + entry.name + " does not take " +
                                                             DescribeFormat(format) + " audio");
        int levels = static_cast<int>(encoder_->Command(ENCODER_QUALITY_LEVELS, 0, 0));
        int quality = request_.quality < 0 ? levels / 2 : request_.quality;
        if (quality > 0 && quality >= levels)
            return Fail(TranscodeFailure::EncoderFormat,
                        "the " + entry.name + " has " + std::to_string(levels) +
                            " quality levels (0 to " + std::to_string(levels > 0 ? levels - 1 : 0) +
                            ")");
        report_->quality = quality;
        report_->bitrateKbps =
            encoder_->Command(ENCODER_BITRATE_KBPS, reinterpret_cast<uintptr_t>(&format),
                              static_cast<uintptr_t>(quality));

        partial_ = PartialNameFor(request_.target);
        const int descriptor = CreatePartialFile(partial_);
        if (descriptor < 0 ||
            CreateWriter(&writer_, descriptor, kWriterCapacity, 0, nullptr) != 0) {
            partial_.clear();
            return Fail(TranscodeFailure::CreateTarget, "cannot create " + request_.target);
        }
        RecordingFormat recording{};
        recording.format = format;
        recording.extra = static_cast<uint8_t>(quality);
        if (!encoder_->Open(writer_, &recording))
            return Fail(TranscodeFailure::EncoderOpen,
                        "the " + entry.name + " cannot start the file");
        return true;
    }

    bool Cancelled() const {
        return request_.cancel != nullptr && request_.cancel->load(std::memory_order_relaxed);
    }

    TranscodeResult Pump() {
        uint32_t decodeBytes = kDecodeBytes - kDecodeBytes % decodedBlock_;
        uint32_t capacity = decodeBytes;
        if (request_.stage != nullptr)
            capacity = std::max(capacity, request_.stage->OutputBytesFor(decodeBytes));
        std::vector<uint8_t> pcm(capacity);
        uint64_t decodedBytes = 0;
        uint64_t producedBytes = 0;
        uint64_t reportedMs = 0;
        for (;;) {
            if (Cancelled())
                return TranscodeResult::Cancelled;
            AudioBuffer buffer{pcm.data(), decodeBytes, 0};
            if (!decoder_->Decode(&buffer) || buffer.used == 0)
                break;
            decodedBytes += buffer.used;
            buffer.size = capacity;
            if (!ProcessAndEncode(&buffer, UINT64_MAX, &producedBytes))
                return TranscodeResult::Failed;
            uint64_t doneMs = decodedBytes * 1000 / decodedBytesPerSecond_;
            if (request_.progress && doneMs >= reportedMs + 250) {
                reportedMs = doneMs;
                request_.progress({doneMs, report_->sourceInfo.durationMs});
            }
        }
        if (Cancelled())
            return TranscodeResult::Cancelled;
        if (!DrainStage(pcm, decodeBytes, decodedBytes, producedBytes))
            return TranscodeResult::Failed;
        bool closed = encoder_->Close();
        encoder_.reset();
        bool flushed = writer_->Flush();
        writer_->Release();
        writer_ = nullptr;
        if (!closed || !flushed) {
            Fail(TranscodeFailure::Write,
                 "cannot finish " + request_.target + " (is the disk full?)");
            return TranscodeResult::Failed;
        }
        // Best effort, as for the partial file: a FAT card has no modes to set.
        (void)::chmod(partial_.c_str(), FinalModeFor(request_.target));
        if (!MoveIntoPlace())
            return TranscodeResult::Failed;
        partial_.clear();
        if (request_.progress)
            request_.progress(
                {decodedBytes * 1000 / decodedBytesPerSecond_, report_->sourceInfo.durationMs});
        return TranscodeResult::Done;
    }

    bool MoveIntoPlace() {
        if (request_.replaceExisting ? std::rename(partial_.c_str(), request_.target.c_str()) == 0
                                     : RenameNoReplace(partial_, request_.target))
            return true;
        if (errno == EEXIST)
            return Fail(TranscodeFailure::TargetExists,
                        request_.target + " appeared meanwhile and was kept");
        return Fail(TranscodeFailure::Move, "cannot move the finished file to " + request_.target +
                                                " (" + std::strerror(errno) + ")");
    }

    // Runs the stage over the buffer and encodes at most `room` bytes of what
    // comes out, counting them in *produced.
    bool ProcessAndEncode(AudioBuffer* buffer, uint64_t room, uint64_t* produced) {
        if (request_.stage != nullptr && !request_.stage->Process(buffer)) {
            Fail(TranscodeFailure::Processing, "processing the audio failed");
            return false;
        }
        buffer->used = static_cast<uint32_t>(std::min<uint64_t>(buffer->used, room));
        *produced += buffer->used;
        if (buffer->used != 0 && !encoder_->Encode(buffer)) {
            Fail(TranscodeFailure::Write,
                 "cannot write " + request_.target + " (is the disk full?)");
            return false;
        }
        return true;
    }

    // A stage that changes the rate holds the last few milliseconds back: the
    // resampler's filter reaches past the sample it makes. Silence pushes
    // them out, and the file is cut where the source's length ends.
    bool DrainStage(std::vector<uint8_t>& pcm, uint32_t chunk, uint64_t decodedBytes,
                    uint64_t producedBytes) {
        const WAVEFORMATEX& output = report_->encodedFormat;
        if (request_.stage == nullptr || output.nSamplesPerSec == decodedRate_ ||
            output.nBlockAlign == 0)
            return true;
        uint64_t frames = decodedBytes / decodedBlock_ * output.nSamplesPerSec / decodedRate_;
        uint64_t expected = frames * output.nBlockAlign;
        constexpr int kDrainRounds = 4;
        for (int round = 0; round < kDrainRounds && producedBytes < expected; ++round) {
            std::fill(pcm.begin(), pcm.begin() + chunk, decodedSilence_);
            AudioBuffer buffer{pcm.data(), static_cast<uint32_t>(pcm.size()), chunk};
            if (!ProcessAndEncode(&buffer, expected - producedBytes, &producedBytes))
                return false;
        }
        return true;
    }

    FormatRegistry* registry_;
    const TranscodeRequest& request_;
    TranscodeReport* report_;
    ByteStream* source_ = nullptr;
    BufferedWriter* writer_ = nullptr;
    Held<AudioDecoder> decoder_;
    Held<AudioEncoder> encoder_;
    std::string partial_;
    uint32_t decodedBlock_ = 0;
    uint32_t decodedBytesPerSecond_ = 0;
    uint32_t decodedRate_ = 0;
    uint8_t decodedSilence_ = 0;
};

} // namespace

TranscodeResult Transcode(FormatRegistry* registry, const TranscodeRequest& request,
                          TranscodeReport* report) {
    TranscodeReport ignored;
    if (report == nullptr)
        report = &ignored;
    *report = TranscodeReport{};
    if (registry == nullptr) {
        report->error = "no format registry";
        return TranscodeResult::Failed;
    }
    Transcoding transcoding(registry, request, report);
    return transcoding.Run();
}

} // namespace tonilo
