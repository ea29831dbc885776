#pragma once
// Converts one recording into a new file on a thread of its own, for the
// export dialog. The conversion is the transcoder's (the same one tonilo-tool
// convert runs); this adds the target's folders, the free-space check, the
// error log entries and a worker the dialog can stop.
//
// The target is written under a hidden name beside it and takes its name only
// when complete; a failure or a stop deletes the partial file, so the target's
// name never holds half a file and an older file of that name stays until the
// new one replaces it whole.
//
// Threads: everything runs on the user-interface thread, except that the
// listener is called on the worker thread (PostingListener turns its calls
// into thread messages) and may itself call RequestStop, StopRequested and
// Progress.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/QualityPreset.h"
#include "platform/ThreadMessages.h"

namespace tonilo {

class FormatRegistry;

struct ExportRequest {
    std::string source;
    std::string target;
    QualityPreset format; // encoder, quality and the PCM format it is given
    // The user agreed to replace a file of the target's name. Without it a
    // file that appears there during the export is kept and the export fails.
    bool replaceExisting = false;
    // Bytes the target is expected to need; 0 when unknown (no check then).
    uint64_t sizeEstimate = 0;
    // The source's length when the caller knows it, for the progress range
    // before the conversion has told it.
    uint32_t sourceDurationMs = 0;
};

struct ExportProgress {
    uint64_t doneMs = 0;     // of the source, converted so far
    uint32_t durationMs = 0; // of the source, 0 while unknown
    // What the progress bar shows: the position and the range in whole
    // seconds (the range at least 1), and their ratio.
    uint32_t positionSeconds = 0;
    uint32_t rangeSeconds = 1;
    double fraction = 0;
};

enum class ExportEnd { Done, Stopped, Failed };

enum class ExportStart {
    Started,
    Busy,   // a worker of this job is still running
    NoRoom, // the target's storage has less free space than the estimate
};

struct ExportListener {
    // Whenever the converted position passes a whole second, and once more
    // at the end of a complete export (fraction 1).
    std::function<void(const ExportProgress&)> progress;
    // Once per Start that returned Started, as the worker's last act.
    std::function<void(ExportEnd)> ended;
};

// Free bytes for new files on the storage that holds the folder; false when
// it cannot be told.
using FreeSpaceQuery = std::function<bool(const std::string& folder, uint64_t* bytes)>;

class ExportJob {
public:
    // The registry gains a reference for as long as a worker needs it. A null
    // query asks the file system (statvfs).
    explicit ExportJob(FormatRegistry* registry, FreeSpaceQuery freeSpace = nullptr);
    // Stops a running worker as Stop does.
    ~ExportJob();
    ExportJob(const ExportJob&) = delete;
    ExportJob& operator=(const ExportJob&) = delete;

    // Checks the free space of the target's storage against the estimate,
    // then starts the worker. Nothing is written unless it returns Started.
    ExportStart Start(const ExportRequest& request, ExportListener listener);

    // Sets the stop flag and returns at once; the worker ends at its next
    // block. Any thread, the listener's included.
    void RequestStop();
    bool StopRequested() const;

    // Asks the worker to stop, waits for it at most `timeoutMs` and returns
    // true when it has ended. A worker that does not end in time is let go:
    // it stops at its next block, deletes its partial file and calls nothing.
    bool Stop(uint32_t timeoutMs = kStopTimeoutMs);

    // Waits for the worker to end by itself; true when it has.
    bool Wait(uint32_t timeoutMs);

    bool Running() const;
    // The latest position, for a timer that updates the progress bar.
    ExportProgress Progress() const;
    // The last worker's end and, after a failure, the string-table code of
    // the error it logged (0 otherwise) and the conversion's own words.
    ExportEnd LastEnd() const;
    int32_t LastErrorCode() const;
    std::string LastError() const;

    // Free bytes as the file system tells them for the nearest existing
    // folder of `path` (the target's folders may not exist yet).
    static bool FreeSpaceOf(const std::string& path, uint64_t* bytes);

    // A listener that posts `progressMessage` (wParam: position in seconds,
    // lParam: range in seconds) and `endMessage` (wParam: ExportEnd) to the
    // thread.
    static ExportListener PostingListener(ThreadId thread, uint32_t progressMessage,
                                          uint32_t endMessage);

    static constexpr uint32_t kStopTimeoutMs = 30000;

private:
    struct Worker;

    FormatRegistry* registry_;
    FreeSpaceQuery freeSpace_;
    std::shared_ptr<Worker> worker_;
};

} // namespace tonilo
