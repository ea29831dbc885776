#include "ui/FolderReader.h"

namespace tonilo {
namespace {

// Durations reach the list in batches: each costs a redraw.
constexpr size_t kDurationBatch = 32;

} // namespace

FolderReader::FolderReader() : receiver_(GetCurrentThreadId()) {
    thread_ = std::thread(&FolderReader::Run, this);
}

FolderReader::~FolderReader() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
}

uint64_t FolderReader::Read(const ListingRequest& request) {
    std::lock_guard<std::mutex> lock(mutex_);
    request_ = request;
    readWanted_ = true;
    durationPaths_.clear();
    durations_.clear();
    wake_.notify_all();
    return ++generation_;
}

bool FolderReader::TakeListing(ListingResult* result) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!listingReady_)
        return false;
    *result = std::move(finished_);
    listingReady_ = false;
    return true;
}

void FolderReader::ReadDurations(uint64_t generation, std::vector<std::string> paths,
                                 DurationReader reader) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (generation != generation_ || !reader)
        return;
    durationGeneration_ = generation;
    durations_.clear();
    durationPaths_.assign(paths.begin(), paths.end());
    durationReader_ = std::move(reader);
    wake_.notify_all();
}

bool FolderReader::TakeDurations(uint64_t* generation,
                                 std::vector<std::pair<std::string, int64_t>>* found) {
    std::lock_guard<std::mutex> lock(mutex_);
    durationsPosted_ = false;
    if (durations_.empty())
        return false;
    *generation = durationGeneration_;
    found->swap(durations_);
    durations_.clear();
    return true;
}

bool FolderReader::Busy() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return readWanted_ || working_ || !durationPaths_.empty();
}

void FolderReader::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || readWanted_ || !durationPaths_.empty(); });
        if (stop_)
            return;
        working_ = true;
        if (readWanted_) {
            ListingResult result;
            result.request = request_;
            result.generation = generation_;
            readWanted_ = false;
            lock.unlock();
            result.listing = ReadFolder(result.request.folder, result.request.extensions,
                                        result.request.includeFolders);
            SortEntries(&result.listing.entries, result.request.sort);
            lock.lock();
            working_ = false;
            if (result.generation != generation_)
                continue; // a newer read is wanted already
            finished_ = std::move(result);
            bool wasReady = listingReady_;
            listingReady_ = true;
            if (!wasReady)
                PostThreadMessage(receiver_, kListingReadyMessage, 0, 0);
            continue;
        }
        // A batch of durations, outside the lock: decoders open files.
        uint64_t generation = durationGeneration_;
        DurationReader reader = durationReader_;
        std::vector<std::string> batch;
        while (!durationPaths_.empty() && batch.size() < kDurationBatch) {
            batch.push_back(std::move(durationPaths_.front()));
            durationPaths_.pop_front();
        }
        lock.unlock();
        std::vector<std::pair<std::string, int64_t>> found;
        for (std::string& path : batch) {
            int64_t ms = reader(path);
            found.emplace_back(std::move(path), ms);
        }
        lock.lock();
        working_ = false;
        if (generation != generation_ || generation != durationGeneration_)
            continue;
        durations_.insert(durations_.end(), found.begin(), found.end());
        if (!durationsPosted_) {
            durationsPosted_ = true;
            PostThreadMessage(receiver_, kDurationsReadyMessage, 0, 0);
        }
    }
}

} // namespace tonilo
