#pragma once
// Reads the recording list's folder on a worker thread, so a folder of ten
// thousand recordings never holds up the user-interface thread, and finds the
// durations of recordings for the "Time" column there too, a batch at a time.
// The worker posts kListingReadyMessage or kDurationsReadyMessage to the thread
// that created the reader; that thread then takes the result.
//
// Threads: the public operations on the creating (user-interface) thread.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/ThreadMessages.h"
#include "platform/files/FolderListing.h"
#include "ui/RecordingEntries.h"

namespace tonilo {

constexpr uint32_t kListingReadyMessage = 33026;
constexpr uint32_t kDurationsReadyMessage = 33027;

// Milliseconds of a recording, -1 when it cannot be read.
using DurationReader = std::function<int64_t(const std::string& path)>;

struct ListingRequest {
    std::string folder;
    std::vector<std::string> extensions;
    bool includeFolders = false;
    SortKey sort = SortKey::Name;
};

struct ListingResult {
    uint64_t generation = 0;
    ListingRequest request;
    FolderListing listing; // sorted
};

class FolderReader {
public:
    FolderReader();
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // Reads anew; a read not yet begun is replaced, pending durations dropped.
    // Returns the generation the result will carry.
    uint64_t Read(const ListingRequest& request);
    // The newest finished listing; false when there is none to take.
    bool TakeListing(ListingResult* result);

    // Finds durations of these paths, for the generation given (dropped when a
    // newer read starts).
    void ReadDurations(uint64_t generation, std::vector<std::string> paths, DurationReader reader);
    // Durations found since the last take, with their generation.
    bool TakeDurations(uint64_t* generation, std::vector<std::pair<std::string, int64_t>>* found);

    // Whether a read or duration batch is waiting or running.
    bool Busy() const;

private:
    void Run();

    ThreadId receiver_;
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    uint64_t generation_ = 0;
    bool readWanted_ = false;
    bool working_ = false;
    ListingRequest request_;
    bool listingReady_ = false;
    ListingResult finished_;
    uint64_t durationGeneration_ = 0;
    std::deque<std::string> durationPaths_;
    DurationReader durationReader_;
    std::vector<std::pair<std::string, int64_t>> durations_;
    bool durationsPosted_ = false;
    std::thread thread_;
};

} // namespace tonilo
