#include "ui/dialogs/BookmarkTextDialog.h"

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/BookmarkDialogs.h"

namespace tonilo {
namespace {

// Room for the longest text in UTF-8; the model keeps it to its UTF-16 limit.
constexpr size_t kTextBytes = BookmarkTextModel::kTextLimit * 3;

class BookmarkTextDialog : public Dialog {
public:
    BookmarkTextDialog(std::shared_ptr<BookmarkTextModel> model, std::function<void(bool)> closed)
        : model_(std::move(model)), closed_(std::move(closed)) {}

    std::string Title() const override { return LoadResourceString(BookmarkTextModel::kTitle); }

    void Draw(DialogUi& ui) override {
        std::string text = model_->Text();
        if (first_) {
            ui.FocusNext();
            first_ = false;
        }
        // Several lines: a text may hold line breaks. The box leaves room below
        // for the check box.
        float height = ui.RowHeight() * 3;
        if (ui.EditLines("##text", &text, kTextBytes, height))
            model_->SetText(text);
        if (model_->DontShowShown()) {
            bool dontShow = model_->DontShow();
            if (ui.Check(LoadResourceString(BookmarkTextModel::kDontShowLabel), &dontShow))
                model_->SetDontShow(dontShow);
        }
    }

    bool Ok(DialogUi&) override {
        Close(true);
        return true;
    }
    void Cancel() override { Close(false); }

private:
    void Close(bool ok) {
        std::function<void(bool)> closed = std::move(closed_);
        closed_ = nullptr;
        if (closed)
            closed(ok);
    }

    std::shared_ptr<BookmarkTextModel> model_;
    std::function<void(bool)> closed_;
    bool first_ = true;
};

} // namespace

std::unique_ptr<Dialog> MakeBookmarkTextDialog(std::shared_ptr<BookmarkTextModel> model,
                                               std::function<void(bool ok)> closed) {
    return std::make_unique<BookmarkTextDialog>(std::move(model), std::move(closed));
}

} // namespace tonilo
