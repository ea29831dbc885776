#include "ui/dialogs/AssociationsDialog.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

#include "app/AssociationsPage.h"
#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"

namespace tonilo {
namespace {

constexpr uint32_t kSelectAllText = 32640;
constexpr uint32_t kRestoreAllText = 32642;
constexpr uint32_t kPollMilliseconds = 50;

class AssociationsDialog : public Dialog {
public:
    AssociationsDialog(FormatRegistry& registry, const std::string& executable)
        : associations_(executable), page_(associations_, registry) {
        page_.Start();
        TakeLines();
    }
    ~AssociationsDialog() override {
        // The page is the worker's until it is done.
        if (worker_.joinable())
            worker_.join();
    }

    std::string Title() const override { return LoadResourceString(kAssociationsTitleString); }
    DialogKeys Keys() const override {
        return busy_ ? DialogKeys::CancelOnly : DialogKeys::OkCancel;
    }
    uint32_t RefreshMilliseconds() const override { return busy_ ? kPollMilliseconds : 0; }
    bool Finished() const override { return finished_; }

    void Draw(DialogUi& ui) override {
        if (busy_ && done_)
            Done(ui);
        const bool idle = !busy_;
        if (ui.Button(LoadResourceString(kSelectAllText), idle)) {
            page_.SelectAll();
            TakeLines();
        }
        ui.SameLine();
        if (ui.Button(LoadResourceString(kRestoreAllText), idle))
            Start([this] { return page_.RestoreAll(); }, false);
        DialogListEvent event = ui.List("types", {}, rows_, true);
        if (idle && event.toggled >= 0) {
            page_.SetSelected(static_cast<size_t>(event.toggled), rows_[event.toggled].checked);
            TakeLines();
        }
    }

    bool Ok(DialogUi&) override {
        if (!busy_)
            Start([this] { return page_.Associate(); }, true);
        return false; // it closes once the types are written
    }

private:
    void TakeLines() {
        rows_.clear();
        for (const AssociationsPage::Line& line : page_.Lines()) {
            DialogListRow row;
            row.cells = {line.extension};
            row.checked = line.selected;
            rows_.push_back(row);
        }
    }

    void Start(std::function<AssociationsMessage()> work, bool closeAfter) {
        busy_ = true;
        done_ = false;
        closeAfter_ = closeAfter;
        worker_ = std::thread([this, work = std::move(work)] {
            message_ = work();
            done_ = true;
        });
    }

    void Done(DialogUi& ui) {
        worker_.join();
        busy_ = false;
        TakeLines();
        ui.Services().Ask(message_.text, message_.caption, QuestionButtons::Ok, nullptr);
        finished_ = closeAfter_;
    }

    FileAssociations associations_;
    AssociationsPage page_;
    std::vector<DialogListRow> rows_;
    std::thread worker_;
    AssociationsMessage message_; // the worker's until done_
    std::atomic<bool> done_{false};
    bool busy_ = false;
    bool closeAfter_ = false;
    bool finished_ = false;
};

} // namespace

std::unique_ptr<Dialog> MakeAssociationsDialog(FormatRegistry& registry,
                                               const std::string& executable) {
    return std::make_unique<AssociationsDialog>(registry, executable);
}

} // namespace tonilo
