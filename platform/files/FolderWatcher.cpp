#include "platform/files/FolderWatcher.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

namespace tonilo {
namespace {

constexpr uint32_t kEntryEvents = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                  IN_CLOSE_WRITE;
constexpr uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF;

} // namespace

struct FolderWatcher::Shared {
    int inotifyFd = -1;
    int wakeFd = -1;
    std::atomic<bool> stop{false};
    std::atomic<bool> outstanding{false}; // a message waits to be taken
    std::mutex mutex;                     // guards the two below
    int watch = -1;
    std::string folder;

    ~Shared() {
        if (inotifyFd >= 0)
            ::close(inotifyFd);
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
};

// What a message carries: the path and the flag that holds back further posts.
struct ChangedPathPayload {
    std::string path;
    std::shared_ptr<void> shared;
    std::atomic<bool>* outstanding = nullptr;
};

FolderWatcher::FolderWatcher(ThreadId receiver, uint32_t message)
    : receiver_(receiver), message_(message) {}

FolderWatcher::~FolderWatcher() {
    Stop();
}

bool FolderWatcher::Watch(const std::string& folder) {
    if (!shared_) {
        auto shared = std::make_shared<Shared>();
        shared->inotifyFd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
        shared->wakeFd = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (shared->inotifyFd < 0 || shared->wakeFd < 0)
            return false;
        shared_ = shared;
        thread_ = std::thread(&FolderWatcher::Run, this, shared);
    }
    std::lock_guard<std::mutex> lock(shared_->mutex);
    if (shared_->watch >= 0)
        ::inotify_rm_watch(shared_->inotifyFd, shared_->watch);
    shared_->watch = ::inotify_add_watch(shared_->inotifyFd, folder.c_str(),
                                         kEntryEvents | kSelfEvents | IN_ONLYDIR);
    shared_->folder = folder;
    folder_ = shared_->watch >= 0 ? folder : "";
    return shared_->watch >= 0;
}

void FolderWatcher::Stop() {
    if (!shared_)
        return;
    shared_->stop = true;
    uint64_t one = 1;
    ssize_t ignored = ::write(shared_->wakeFd, &one, sizeof one);
    (void)ignored;
    if (thread_.joinable())
        thread_.join();
    shared_.reset();
    folder_.clear();
}

std::string FolderWatcher::TakeChangedPath(const ThreadMessage& message) {
    auto* payload = reinterpret_cast<ChangedPathPayload*>(message.lParam);
    if (!payload)
        return "";
    std::string path = std::move(payload->path);
    payload->outstanding->store(false);
    delete payload;
    return path;
}

void FolderWatcher::Run(std::shared_ptr<Shared> shared) {
    alignas(struct inotify_event) char buffer[16384];
    while (!shared->stop) {
        struct pollfd waits[2] = {{shared->inotifyFd, POLLIN, 0}, {shared->wakeFd, POLLIN, 0}};
        if (::poll(waits, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (shared->stop)
            return;
        ssize_t length = ::read(shared->inotifyFd, buffer, sizeof buffer);
        if (length <= 0)
            continue;
        std::string changed;
        {
            std::lock_guard<std::mutex> lock(shared->mutex);
            for (ssize_t offset = 0; offset < length;) {
                auto* event = reinterpret_cast<struct inotify_event*>(buffer + offset);
                offset += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
                if (event->wd != shared->watch || shared->watch < 0)
                    continue; // a folder watched before
                if (event->mask & (kSelfEvents | IN_IGNORED)) {
                    changed = shared->folder;
                    break; // the folder itself: nothing else matters
                }
                if ((event->mask & kEntryEvents) && changed.empty() && event->len > 0)
                    changed = shared->folder + "/" + event->name;
            }
        }
        if (changed.empty() || shared->outstanding.exchange(true))
            continue;
        auto* payload = new ChangedPathPayload{changed, shared, &shared->outstanding};
        if (!PostThreadMessage(receiver_, message_, 0, reinterpret_cast<intptr_t>(payload))) {
            shared->outstanding = false;
            delete payload;
        }
    }
}

} // namespace tonilo
