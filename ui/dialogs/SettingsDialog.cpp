#include "ui/dialogs/SettingsDialog.h"

#include <algorithm>

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/dialogs/SettingsPageViews.h"

namespace tonilo {
namespace {

class SettingsDialog : public Dialog {
public:
    SettingsDialog(SettingsStore& settings, SettingsSheetSetup setup, std::function<void()> applied)
        : applied_(std::move(applied)) {
        state_.documents = setup.documents;
        state_.buttons = setup.buttons;
        sheet_ = std::make_unique<SettingsSheet>(settings, std::move(setup));
        for (SettingsPage* page : sheet_->Pages())
            titles_.push_back(LoadResourceString(page->TitleId()));
    }

    std::string Title() const override { return LoadResourceString(SettingsSheet::kTitle); }

    void Draw(DialogUi& ui) override {
        ui.Tabs(titles_, &selected_);
        // Each page keeps its own scroll position.
        ui.Pane("page" + std::to_string(selected_),
                [&] { DrawPage(ui, sheet_->Pages()[static_cast<size_t>(selected_)]); });
    }

    bool Ok(DialogUi& ui) override {
        const SettingsOutcome outcome = sheet_->Ok();
        if (outcome == SettingsOutcome::Refused) {
            const std::vector<SettingsPage*>& pages = sheet_->Pages();
            selected_ = static_cast<int32_t>(
                std::find(pages.begin(), pages.end(), sheet_->RefusedPage()) - pages.begin());
            // The field takes the keyboard once the message is gone.
            const int32_t field = sheet_->RefusedPage()->FocusField();
            Tell(ui, sheet_->RefusalMessage(), [this, field] { state_.focus = field; });
            return false;
        }
        // Unsaved, the table still holds the new values for this run.
        if (outcome == SettingsOutcome::NotSaved)
            Tell(ui, SettingsSheet::kNotSavedText);
        if (applied_)
            applied_();
        return true;
    }

    void Cancel() override { sheet_->Cancel(); }

private:
    void DrawPage(DialogUi& ui, SettingsPage* page) {
        if (page == &sheet_->Input())
            DrawInputPage(ui, sheet_->Input());
        else if (page == &sheet_->Recording())
            DrawRecordingPage(ui, sheet_->Recording());
        else if (page == &sheet_->Files())
            DrawFilesPage(ui, sheet_->Files(), state_);
        else if (page == sheet_->Phone())
            DrawPhonePage(ui, *sheet_->Phone(), state_);
        else if (page == &sheet_->Display())
            DrawDisplayPage(ui, sheet_->Display());
        else if (page == sheet_->Buttons())
            DrawButtonsPage(ui, *sheet_->Buttons(), state_);
    }

    void Tell(DialogUi& ui, uint32_t message, std::function<void()> read = nullptr) {
        ui.Services().Ask(LoadResourceString(message), Title(), QuestionButtons::Ok,
                          [read](QuestionAnswer) {
                              if (read)
                                  read();
                          });
    }

    std::unique_ptr<SettingsSheet> sheet_;
    std::function<void()> applied_;
    std::vector<std::string> titles_;
    int32_t selected_ = 0;
    PageViewState state_;
};

} // namespace

std::unique_ptr<Dialog> MakeSettingsDialog(SettingsStore& settings, SettingsSheetSetup setup,
                                           std::function<void()> applied) {
    return std::make_unique<SettingsDialog>(settings, std::move(setup), std::move(applied));
}

} // namespace tonilo
