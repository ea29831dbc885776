#include "ui/dialogs/BookmarkOptionsDialog.h"

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/BookmarkDialogs.h"

namespace tonilo {
namespace {

class BookmarkOptionsDialog : public Dialog {
public:
    BookmarkOptionsDialog(SettingsStore& settings, std::string keyPath,
                          std::function<void()> applied)
        : model_(settings, std::move(keyPath)), applied_(std::move(applied)) {}

    std::string Title() const override { return LoadResourceString(BookmarkOptionsModel::kTitle); }

    void Draw(DialogUi& ui) override {
        bool show = model_.Show();
        if (ui.Check(LoadResourceString(BookmarkOptionsModel::kShowLabel), &show))
            model_.SetShow(show);
        bool ask = model_.Ask();
        if (ui.Check(LoadResourceString(BookmarkOptionsModel::kAskLabel), &ask))
            model_.SetAsk(ask);
    }

    bool Ok(DialogUi&) override {
        // A failed save still leaves both in the running program's settings,
        // which are written again at exit.
        model_.Ok();
        if (applied_)
            applied_();
        return true;
    }
    void Cancel() override { model_.Cancel(); }

private:
    BookmarkOptionsModel model_;
    std::function<void()> applied_;
};

} // namespace

std::unique_ptr<Dialog> MakeBookmarkOptionsDialog(SettingsStore& settings, std::string keyPath,
                                                  std::function<void()> applied) {
    return std::make_unique<BookmarkOptionsDialog>(settings, std::move(keyPath),
                                                   std::move(applied));
}

} // namespace tonilo
