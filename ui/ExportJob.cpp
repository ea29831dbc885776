#include "ui/ExportJob.h"

#include <sys/statvfs.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <system_error>
#include <thread>

#include "app/FilterChainBuilder.h"
#include "app/FilterChainStage.h"
#include "formats/FormatRegistry.h"
#include "formats/Transcoder.h"
#include "platform/ErrorLog.h"
#include "platform/PathParts.h"

namespace tonilo {
namespace {

constexpr int32_t kCannotCreateDirectory = 13000;
constexpr int32_t kCannotOpenFile = 36002;
constexpr int32_t kNoDecoder = 36003;
constexpr int32_t kCannotOpenDecoder = 36004;
constexpr int32_t kCannotCreateEncoder = 37000;
constexpr int32_t kCannotOpenEncoder = 37001;
constexpr int32_t kCannotCreateFile = 37002;
constexpr int32_t kCannotEncode = 37005;
constexpr int32_t kFilteringError = 37006;

// The error log's code for where a conversion stopped: the messages the
// recorder and the player give for the same failures.
int32_t ErrorCodeFor(TranscodeFailure failure) {
    switch (failure) {
    case TranscodeFailure::OpenSource:
        return kCannotOpenFile;
    case TranscodeFailure::NoDecoder:
        return kNoDecoder;
    case TranscodeFailure::DecoderOpen:
        return kCannotOpenDecoder;
    case TranscodeFailure::Processing:
        return kFilteringError;
    case TranscodeFailure::NoEncoder:
    case TranscodeFailure::EncoderCreate:
        return kCannotCreateEncoder;
    case TranscodeFailure::EncoderFormat:
    case TranscodeFailure::EncoderOpen:
        return kCannotOpenEncoder;
    case TranscodeFailure::Write:
        return kCannotEncode;
    case TranscodeFailure::CreateTarget:
    case TranscodeFailure::TargetExists:
    case TranscodeFailure::Move:
    case TranscodeFailure::None:
    default:
        return kCannotCreateFile;
    }
}

ExportProgress MakeProgress(uint64_t doneMs, uint32_t durationMs) {
    ExportProgress progress;
    progress.doneMs = doneMs;
    progress.durationMs = durationMs;
    progress.rangeSeconds = std::max<uint32_t>(1, durationMs / 1000);
    progress.positionSeconds =
        static_cast<uint32_t>(std::min<uint64_t>(doneMs / 1000, progress.rangeSeconds));
    progress.fraction =
        durationMs == 0 ? 0.0 : std::min(1.0, static_cast<double>(doneMs) / durationMs);
    return progress;
}

} // namespace

struct ExportJob::Worker {
    ExportRequest request;
    FormatRegistry* registry = nullptr; // one reference, released at the end of Run
    std::atomic<bool> stop{false};
    std::atomic<uint64_t> doneMs{0};
    std::atomic<uint32_t> durationMs{0};

    // The listener goes away when the dialog lets the worker go.
    std::mutex listenerMutex;
    ExportListener listener;

    mutable std::mutex mutex;
    std::condition_variable endedSignal;
    bool finished = false;
    ExportEnd end = ExportEnd::Failed;
    int32_t errorCode = 0;
    std::string error;
    std::thread thread;

    void Run();
    ExportEnd Convert(int32_t* code, std::string* why);
    void Report(const ExportProgress& progress) {
        std::lock_guard<std::mutex> guard(listenerMutex);
        if (listener.progress)
            listener.progress(progress);
    }
};

void ExportJob::Worker::Run() {
    int32_t code = 0;
    std::string why;
    ExportEnd result = Convert(&code, &why);
    if (result == ExportEnd::Failed)
        TONILO_LOG_ERROR(code, "%s", why.c_str());
    registry->Release();
    registry = nullptr;
    {
        std::lock_guard<std::mutex> guard(mutex);
        finished = true;
        end = result;
        errorCode = code;
        error = why;
    }
    endedSignal.notify_all();
    std::lock_guard<std::mutex> guard(listenerMutex);
    if (listener.ended)
        listener.ended(result);
}

ExportEnd ExportJob::Worker::Convert(int32_t* code, std::string* why) {
    Report(MakeProgress(0, request.sourceDurationMs));
    std::error_code failed;
    std::filesystem::create_directories(FolderOf(request.target), failed);
    if (failed) {
        *code = kCannotCreateDirectory;
        *why = FolderOf(request.target) + ": " + failed.message();
        return ExportEnd::Failed;
    }

    ConvertFilterOptions options;
    options.rate = request.format.samplesPerSecond;
    options.bits = request.format.bitsPerSample;
    options.channels = request.format.channels;
    FilterChainBuilder chain(options);
    FilterChainStage stage(&chain);

    TranscodeRequest transcode;
    transcode.source = request.source;
    transcode.target = request.target;
    transcode.encoderName = request.format.encoderName;
    transcode.quality = request.format.quality;
    transcode.stage = &stage;
    transcode.cancel = &stop;
    transcode.replaceExisting = request.replaceExisting;
    uint32_t shownSeconds = 0;
    transcode.progress = [&](const TranscodeProgress& step) {
        doneMs = step.doneMs;
        durationMs = step.durationMs;
        ExportProgress progress = MakeProgress(step.doneMs, step.durationMs);
        if (progress.positionSeconds != shownSeconds) {
            shownSeconds = progress.positionSeconds;
            Report(progress);
        }
    };

    TranscodeReport report;
    switch (Transcode(registry, transcode, &report)) {
    case TranscodeResult::Done: {
        // The decoder's length and the decoded bytes may differ by a frame:
        // a complete export ends at the end of the bar.
        const uint32_t duration = std::max<uint32_t>(report.sourceInfo.durationMs, 1);
        doneMs = duration;
        durationMs = duration;
        Report(MakeProgress(duration, duration));
        return ExportEnd::Done;
    }
    case TranscodeResult::Cancelled:
        return ExportEnd::Stopped;
    case TranscodeResult::Failed:
    default:
        *code = ErrorCodeFor(report.failure);
        *why = report.error;
        if (!chain.Problem().empty())
            *why += " (" + chain.Problem() + ")";
        return ExportEnd::Failed;
    }
}

ExportJob::ExportJob(FormatRegistry* registry, FreeSpaceQuery freeSpace)
    : registry_(registry), freeSpace_(freeSpace ? std::move(freeSpace) : FreeSpaceOf) {}

ExportJob::~ExportJob() {
    Stop();
}

ExportStart ExportJob::Start(const ExportRequest& request, ExportListener listener) {
    if (Running())
        return ExportStart::Busy;
    uint64_t free = 0;
    if (request.sizeEstimate > 0 && freeSpace_(request.target, &free) &&
        free < request.sizeEstimate)
        return ExportStart::NoRoom;
    if (worker_ && worker_->thread.joinable())
        worker_->thread.join();

    auto worker = std::make_shared<Worker>();
    worker->request = request;
    worker->listener = std::move(listener);
    worker->registry = registry_;
    worker->durationMs = request.sourceDurationMs;
    registry_->AddRef();
    // Set before the thread starts: its listener may ask for a stop at once.
    worker_ = worker;
    worker->thread = std::thread([worker] { worker->Run(); });
    return ExportStart::Started;
}

void ExportJob::RequestStop() {
    if (worker_)
        worker_->stop = true;
}

bool ExportJob::StopRequested() const {
    return worker_ && worker_->stop;
}

bool ExportJob::Stop(uint32_t timeoutMs) {
    if (!worker_)
        return true;
    worker_->stop = true;
    if (Wait(timeoutMs))
        return true;
    // Let it go: it owns what it uses and finds the stop flag at its next block.
    {
        std::lock_guard<std::mutex> guard(worker_->listenerMutex);
        worker_->listener = ExportListener{};
    }
    worker_->thread.detach();
    worker_.reset();
    return false;
}

bool ExportJob::Wait(uint32_t timeoutMs) {
    if (!worker_)
        return true;
    {
        std::unique_lock<std::mutex> lock(worker_->mutex);
        if (!worker_->endedSignal.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                                           [this] { return worker_->finished; }))
            return false;
    }
    if (worker_->thread.joinable() && worker_->thread.get_id() != std::this_thread::get_id())
        worker_->thread.join();
    return true;
}

bool ExportJob::Running() const {
    if (!worker_)
        return false;
    std::lock_guard<std::mutex> guard(worker_->mutex);
    return !worker_->finished;
}

ExportProgress ExportJob::Progress() const {
    if (!worker_)
        return ExportProgress{};
    return MakeProgress(worker_->doneMs, worker_->durationMs);
}

ExportEnd ExportJob::LastEnd() const {
    if (!worker_)
        return ExportEnd::Stopped;
    std::lock_guard<std::mutex> guard(worker_->mutex);
    return worker_->end;
}

int32_t ExportJob::LastErrorCode() const {
    if (!worker_)
        return 0;
    std::lock_guard<std::mutex> guard(worker_->mutex);
    return worker_->errorCode;
}

std::string ExportJob::LastError() const {
    if (!worker_)
        return "";
    std::lock_guard<std::mutex> guard(worker_->mutex);
    return worker_->error;
}

bool ExportJob::FreeSpaceOf(const std::string& path, uint64_t* bytes) {
    std::string folder = FolderOf(path);
    std::error_code ignored;
    while (!std::filesystem::is_directory(folder, ignored)) {
        std::string parent = FolderOf(folder);
        if (parent == folder)
            return false;
        folder = parent;
    }
    struct statvfs volume {};
    if (::statvfs(folder.c_str(), &volume) != 0)
        return false;
    *bytes = static_cast<uint64_t>(volume.f_bavail) * volume.f_frsize;
    return true;
}

ExportListener ExportJob::PostingListener(ThreadId thread, uint32_t progressMessage,
                                          uint32_t endMessage) {
    ExportListener listener;
    listener.progress = [=](const ExportProgress& progress) {
        PostThreadMessage(thread, progressMessage, progress.positionSeconds,
                          static_cast<intptr_t>(progress.rangeSeconds));
    };
    listener.ended = [=](ExportEnd end) {
        PostThreadMessage(thread, endMessage, static_cast<uintptr_t>(end), 0);
    };
    return listener;
}

} // namespace tonilo
