#include "platform/files/FolderWatcher.h"

#include <atomic>
#include <cerrno>
#include <memory>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>
#include <vector>

namespace tonilo {
namespace {

constexpr uint32_t kEntryEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_CLOSE_WRITE;
constexpr uint32_t kSelfEvents = IN_DELETE_SELF | IN_MOVE_SELF;

} // namespace

struct FolderWatcher::Shared {
    int inotifyFd = -1;
    int wakeFd = -1;
    std::atomic<bool> stop{false};
    std::mutex mutex; // guards everything below
    int watch = -1;
    std::string folder;
    Payload* pending = nullptr; // the message waiting to be taken

    ~Shared() {
        if (inotifyFd >= 0)
            ::close(inotifyFd);
        if (wakeFd >= 0)
            ::close(wakeFd);
    }
};

// What a message carries: the path, and the watcher's state that holds back
// further posts until it is taken.
struct FolderWatcher::Payload {
    std::string path;
    std::shared_ptr<Shared> shared;
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
    // A message still waiting speaks of the old folder, which its receiver
    // ignores: the new folder's first change must post one of its own.
    shared_->pending = nullptr;
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
    // A message still waiting in the owner's own queue carries a payload that
    // nobody will take now: take it back. Other watchers' messages stay queued.
    if (receiver_ == GetCurrentThreadId()) {
        std::vector<ThreadMessage> others;
        ThreadMessage queued;
        while (PeekMessageFor(message_, &queued, true)) {
            auto* payload = reinterpret_cast<Payload*>(queued.lParam);
            if (payload && payload->shared == shared_)
                delete payload;
            else
                others.push_back(queued);
        }
        for (const ThreadMessage& other : others)
            PostThreadMessage(receiver_, other.message, other.wParam, other.lParam);
    }
    shared_.reset();
    folder_.clear();
}

std::string FolderWatcher::TakeChangedPath(const ThreadMessage& message) {
    std::unique_ptr<Payload> payload(reinterpret_cast<Payload*>(message.lParam));
    if (!payload)
        return "";
    std::lock_guard<std::mutex> lock(payload->shared->mutex);
    if (payload->shared->pending == payload.get())
        payload->shared->pending = nullptr;
    return std::move(payload->path);
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
        std::lock_guard<std::mutex> lock(shared->mutex);
        std::string changed;
        bool self = false;
        for (ssize_t offset = 0; offset < length;) {
            auto* event = reinterpret_cast<struct inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(struct inotify_event) + event->len);
            if (event->wd != shared->watch || shared->watch < 0)
                continue; // a folder watched before
            if (event->mask & (kSelfEvents | IN_IGNORED)) {
                changed = shared->folder;
                self = true;
                break; // the folder itself: nothing else matters
            }
            if ((event->mask & kEntryEvents) && changed.empty() && event->len > 0)
                changed = shared->folder + "/" + event->name;
        }
        if (changed.empty())
            continue;
        if (shared->pending) {
            // One message waits already; the folder's own end must not be lost
            // behind it.
            if (self)
                shared->pending->path = changed;
            continue;
        }
        auto* payload = new Payload{changed, shared};
        shared->pending = payload;
        if (!PostThreadMessage(receiver_, message_, 0, reinterpret_cast<intptr_t>(payload))) {
            shared->pending = nullptr;
            delete payload;
        }
    }
}

} // namespace tonilo
