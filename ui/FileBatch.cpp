#include "ui/FileBatch.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "app/RecordingNamer.h"
#include "platform/LanguageResources.h"
#include "platform/PathParts.h"
#include "platform/files/FileTransfer.h"
#include "platform/files/Trash.h"
#include "ui/RecordingListIds.h"

namespace tonilo {
namespace {

using namespace recording_list;

constexpr uint32_t kOverwriteQuestion = 13063;
constexpr uint32_t kCannotDelete = 31101;
constexpr uint32_t kCannotCopy = 31102;
constexpr uint32_t kCannotMove = 31103;
constexpr uint32_t kCannotRename = 31104;
constexpr uint32_t kForbiddenName = 13052;

} // namespace

uint32_t RenameRefusal(const std::string& name) {
    if (std::any_of(name.begin(), name.end(), IsForbiddenNameCharacter) ||
        name.find('\0') != std::string::npos)
        return kForbiddenName;
    if (name.empty() || name == "." || name == "..")
        return kCannotRename;
    return 0;
}

FileBatch::FileBatch(BatchKind kind, std::vector<std::string> items, std::string target,
                     std::string deleteQuestion, WindowHost& host, FileBatchClient& client)
    : kind_(kind), items_(std::move(items)), target_(std::move(target)),
      deleteQuestion_(std::move(deleteQuestion)), host_(host), client_(client) {}

void FileBatch::Start() {
    if (items_.empty()) {
        Finish();
        return;
    }
    if (kind_ != BatchKind::Delete) {
        Continue();
        return;
    }
    // One question for the whole batch.
    std::weak_ptr<FileBatch> weak = shared_from_this();
    host_.Ask(deleteQuestion_, "", QuestionButtons::YesNo, [weak](QuestionAnswer answer) {
        auto self = weak.lock();
        if (!self || self->abandoned_ || self->finished_)
            return;
        if (answer != QuestionAnswer::Yes) {
            self->Finish();
            return;
        }
        for (; self->next_ < self->items_.size(); ++self->next_) {
            if (!self->Delete(self->items_[self->next_]))
                break;
        }
        self->Finish();
    });
}

void FileBatch::Continue() {
    while (next_ < items_.size()) {
        if (!Transfer(false))
            return; // a question waits; its answer goes on
        ++next_;
    }
    Finish();
}

bool FileBatch::Transfer(bool overwrite) {
    const std::string& item = items_[next_];
    bool rename = kind_ == BatchKind::Rename;
    bool moves = kind_ != BatchKind::Copy;
    std::string name = FileNameOf(rename ? target_ : item);
    bool sameFolder = FolderOf(item) == target_;
    if (sameFolder && kind_ == BatchKind::Copy && !overwrite)
        name = UniqueNameIn(target_, name); // a copy beside its original
    std::string destination = rename ? target_ : (target_ == "/" ? "" : target_) + "/" + name;
    if (sameFolder && kind_ == BatchKind::Move)
        return true; // already there

    if (!overwrite && PathExists(destination) && !IsSameItem(item, destination)) {
        if (rename) {
            // A rename never replaces another file; the user picks another name.
            Report(kCannotRename, item, std::strerror(EEXIST));
            next_ = items_.size();
            return true;
        }
        AskOverwrite(name);
        return false;
    }
    std::string current = client_.BatchCurrentFile();
    bool movesCurrent = moves && !current.empty() && IsWithin(current, item);
    bool replacesCurrent = overwrite && !current.empty() && IsWithin(current, destination);
    if (movesCurrent || replacesCurrent)
        client_.BatchNotify(kCurrentClosing, current, "");

    TransferResult result =
        moves ? MoveItem(item, destination, overwrite) : CopyItem(item, destination, overwrite);
    switch (result.status) {
    case TransferStatus::Exists:
        // Another program took the name meanwhile.
        if (movesCurrent)
            client_.BatchNotify(kCurrentMoved, current, "");
        if (rename) {
            Report(kCannotRename, item, std::strerror(EEXIST));
            next_ = items_.size();
            return true;
        }
        AskOverwrite(name);
        return false;
    case TransferStatus::SameItem:
        return true;
    case TransferStatus::Failed:
        Report(rename ? kCannotRename : moves ? kCannotMove : kCannotCopy, item, result.error);
        if (movesCurrent || replacesCurrent)
            client_.BatchNotify(kCurrentMoved, current, ""); // open it again where it is
        next_ = items_.size();
        return true;
    case TransferStatus::Done:
        break;
    }
    if (overwrite)
        client_.BatchNotify(kDeleted, destination, ""); // its bookmarks no longer apply
    client_.BatchNotify(moves ? kRenamed : kCopied, item, destination);
    if (movesCurrent) {
        std::string moved = destination + current.substr(item.size());
        client_.BatchCurrentMoved(moved);
        client_.BatchNotify(kCurrentMoved, moved, "");
    }
    return true;
}

bool FileBatch::Delete(const std::string& item) {
    std::string current = client_.BatchCurrentFile();
    bool deletesCurrent = !current.empty() && IsWithin(current, item);
    if (deletesCurrent)
        client_.BatchNotify(kCurrentClosing, current, "");
    TrashResult result = MoveToTrash(item);
    if (!result.ok) {
        Report(kCannotDelete, item, result.error);
        if (deletesCurrent)
            client_.BatchNotify(kCurrentMoved, current, ""); // still there: open it again
        return false;
    }
    if (deletesCurrent && current != item)
        client_.BatchNotify(kDeleted, current, "");
    client_.BatchNotify(kDeleted, item, "");
    return true;
}

void FileBatch::AskOverwrite(const std::string& name) {
    std::string question = FillInResourceString(kOverwriteQuestion, {name});
    std::weak_ptr<FileBatch> weak = shared_from_this();
    host_.Ask(question, "", QuestionButtons::YesNoCancel, [weak](QuestionAnswer answer) {
        auto self = weak.lock();
        if (!self || self->abandoned_ || self->finished_)
            return;
        if (answer == QuestionAnswer::Cancel) {
            self->Finish();
            return;
        }
        if (answer == QuestionAnswer::Yes && !self->Transfer(true))
            return;
        ++self->next_;
        self->Continue();
    });
}

void FileBatch::Report(uint32_t textId, const std::string& item, const std::string& error) {
    host_.Ask(FillInResourceString(textId, {FileNameOf(item), error}), "", QuestionButtons::Ok,
              [](QuestionAnswer) {});
}

void FileBatch::Finish() {
    if (finished_)
        return;
    finished_ = true;
    if (!abandoned_)
        client_.BatchFinished();
}

} // namespace tonilo
