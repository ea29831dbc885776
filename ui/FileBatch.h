#pragma once
// One copy, move, rename or delete over the items the user chose, as the recording
// list runs it: a delete asks once for the whole batch; a copy or move asks
// before it overwrites anything (Yes overwrites, No skips the item, Cancel ends
// the batch). Questions are answered later through the window host, so the
// batch keeps its place between items and goes on from the answer.
//
// It tells its client what the main window must know: the current file is
// about to move (51) and where it went (52), an item got a new name or folder
// (59) or was copied (60), and an item was deleted (61). Old path first, new
// path second.
//
// Threads: the user-interface thread.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/window/WindowHost.h"

namespace tonilo {

class FileBatchClient {
public:
    virtual ~FileBatchClient() = default;
    virtual void BatchNotify(int32_t code, const std::string& path,
                             const std::string& otherPath) = 0;
    // The file open for playback or recording, "" when none.
    virtual std::string BatchCurrentFile() const = 0;
    // The current file has a new path (it was inside a moved item).
    virtual void BatchCurrentMoved(const std::string& newPath) = 0;
    // The batch ended (done, cancelled or failed); the folder wants reading.
    virtual void BatchFinished() = 0;
};

// Rename: one item, `target` its new path; it never replaces anything.
enum class BatchKind { Copy, Move, Rename, Delete };

class FileBatch : public std::enable_shared_from_this<FileBatch> {
public:
    // `target` is the folder copied or moved into; `deleteQuestion` the text a
    // delete asks with.
    FileBatch(BatchKind kind, std::vector<std::string> items, std::string target,
              std::string deleteQuestion, WindowHost& host, FileBatchClient& client);

    void Start();
    // The client goes away: answers still to come do nothing.
    void Abandon() { abandoned_ = true; }
    bool Finished() const { return finished_; }

private:
    void Continue();
    // Copies or moves the item at next_; false while a question waits.
    bool Transfer(bool overwrite);
    bool Delete(const std::string& item);
    void AskOverwrite(const std::string& name);
    void Report(uint32_t textId, const std::string& item, const std::string& error);
    void Finish();

    BatchKind kind_;
    std::vector<std::string> items_;
    std::string target_;
    std::string deleteQuestion_;
    WindowHost& host_;
    FileBatchClient& client_;
    size_t next_ = 0;
    bool abandoned_ = false;
    bool finished_ = false;
};

// Why a new name cannot be: the text id of the message (its marks take the old
// name and the reason), 0 when it can. A name holding one of the characters no
// file name may hold gets that message; an empty name, "." or ".." another.
uint32_t RenameRefusal(const std::string& name);

} // namespace tonilo
