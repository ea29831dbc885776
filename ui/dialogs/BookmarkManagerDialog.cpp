#include "ui/dialogs/BookmarkManagerDialog.h"

#include <algorithm>
#include <vector>

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/BookmarkDialogs.h"
#include "ui/BookmarkManagerModel.h"
#include "ui/dialogs/BookmarkTextDialog.h"

namespace tonilo {
namespace {

constexpr uint32_t kCommands[] = {kOpenBookmarkCommand, kEditBookmarkTextCommand,
                                  kDeleteBookmarkCommand, kDeleteAllBookmarksCommand,
                                  kCleanUpBookmarksCommand};

// One column so a file's name has the whole width on a narrow screen: a
// recording's row shows whether it is open, its bookmarks sit indented below.
std::string RowText(const ManagerRow& row) {
    if (row.bookmark < 0)
        return (row.expanded ? "- " : "+ ") + row.name;
    return "    " + row.position + "   " + row.text;
}

class BookmarkManagerDialog : public Dialog {
public:
    BookmarkManagerDialog(BookmarkDatabase& database, SettingsStore& settings, std::string saveFile,
                          BookmarkManagerHooks hooks)
        : model_(database, std::move(saveFile)), settings_(settings), hooks_(std::move(hooks)) {
        for (uint32_t command : kCommands)
            labels_.push_back(LoadResourceString(command));
    }

    std::string Title() const override { return LoadResourceString(BookmarkManagerModel::kTitle); }
    bool Finished() const override { return finished_; }

    void Draw(DialogUi& ui) override {
        services_ = &ui.Services();
        std::vector<DialogListRow> rows;
        for (size_t i = 0; i < model_.Rows().size(); ++i)
            rows.push_back(
                {{RowText(model_.Rows()[i])}, false, static_cast<int>(i) == model_.Selected()});
        float height = ui.RemainingHeight() - ui.ButtonRowHeight(labels_);
        DialogListEvent event =
            ui.List("bookmarks", {}, rows, false, std::max(height, ui.RowHeight() * 2));
        if (event.clicked >= 0) {
            const ManagerRow& row = model_.Rows()[static_cast<size_t>(event.clicked)];
            if (row.bookmark >= 0)
                model_.Select(event.clicked);
            else if (event.activated < 0) // the second tap of a double tap is not a third
                Follow(model_.Tap(event.clicked));
        }
        if (event.activated >= 0 &&
            model_.Rows()[static_cast<size_t>(event.activated)].bookmark >= 0)
            Follow(model_.Tap(event.activated));
        std::vector<bool> enabled;
        for (uint32_t command : kCommands)
            enabled.push_back(model_.Enabled(command));
        int32_t tapped = ui.ButtonRow(labels_, enabled);
        if (tapped >= 0)
            Follow(model_.Command(kCommands[tapped]));
    }

    bool Ok(DialogUi& ui) override {
        services_ = &ui.Services();
        ManagerStep step = model_.Done();
        if (step == ManagerStep::Close) {
            End();
            return true;
        }
        Follow(step);
        return false;
    }

private:
    void End() {
        finished_ = true;
        if (hooks_.ended)
            hooks_.ended();
    }

    void Follow(ManagerStep step) {
        std::weak_ptr<int> alive = alive_;
        switch (step) {
        case ManagerStep::None:
            break;
        case ManagerStep::Ask:
            services_->Ask(model_.Message(), Title(), model_.Buttons(),
                           [this, alive](QuestionAnswer answer) {
                               if (!alive.expired())
                                   Follow(model_.Answer(answer));
                           });
            break;
        case ManagerStep::EditText: {
            auto text =
                std::make_shared<BookmarkTextModel>(settings_, false, model_.SelectedText());
            services_->OpenDialog(MakeBookmarkTextDialog(text, [this, alive, text](bool ok) {
                if (ok && !alive.expired())
                    model_.SetSelectedText(text->Ok());
            }));
            break;
        }
        case ManagerStep::Close:
            End();
            break;
        case ManagerStep::CloseAndOpen:
            End();
            if (hooks_.open)
                hooks_.open(model_.OpenPath(), model_.OpenPosition());
            break;
        }
    }

    BookmarkManagerModel model_;
    SettingsStore& settings_;
    BookmarkManagerHooks hooks_;
    std::vector<std::string> labels_;
    DialogServices* services_ = nullptr;
    bool finished_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace

std::unique_ptr<Dialog> MakeBookmarkManagerDialog(BookmarkDatabase& database,
                                                  SettingsStore& settings, std::string saveFile,
                                                  BookmarkManagerHooks hooks) {
    return std::make_unique<BookmarkManagerDialog>(database, settings, std::move(saveFile),
                                                   std::move(hooks));
}

} // namespace tonilo
