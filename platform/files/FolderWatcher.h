#pragma once
// Watches one folder through inotify on a thread of its own and tells the
// user-interface thread when entries appear, disappear or are renamed, or when
// the folder itself goes away. The news arrives as a posted thread message
// (kFolderChangedMessage) whose lParam carries the changed path; the receiver
// takes it with TakeChangedPath. While one message waits to be taken, further
// changes post nothing: the receiver re-reads the folder anyway.
//
// Threads: Watch, Stop and the destructor on the owning thread; the messages
// go to the thread given to the constructor.
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/ThreadMessages.h"

namespace tonilo {

constexpr uint32_t kFolderChangedMessage = 33025;

class FolderWatcher {
public:
    explicit FolderWatcher(ThreadId receiver, uint32_t message = kFolderChangedMessage);
    ~FolderWatcher();
    FolderWatcher(const FolderWatcher&) = delete;
    FolderWatcher& operator=(const FolderWatcher&) = delete;

    // Watches this folder instead of the previous one; false (and nothing
    // watched) when inotify refuses it.
    bool Watch(const std::string& folder);
    // Watches nothing; the thread ends.
    void Stop();
    const std::string& Folder() const { return folder_; }

    // The path a message carries (freed here). The folder's own path when the
    // folder itself was deleted or moved, else the entry's path in the folder.
    static std::string TakeChangedPath(const ThreadMessage& message);

private:
    struct Shared;
    struct Payload;
    void Run(std::shared_ptr<Shared> shared);

    ThreadId receiver_;
    uint32_t message_;
    std::string folder_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

} // namespace tonilo
