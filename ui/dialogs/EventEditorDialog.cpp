#include "ui/dialogs/EventEditorDialog.h"

#include <vector>

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/EventEditorModel.h"
#include "ui/EventListModel.h"
#include "ui/dialogs/PlayPropertiesDialog.h"

namespace tonilo {
namespace {

enum Page : int32_t { kEventPage = 0, kTimePage = 1 };

// Room for the longest name in UTF-8; the model keeps it to its UTF-16 limit.
constexpr size_t kNameBytes = EventEditorModel::kNameLimit * 3;

// The refused field that takes the keyboard once the message was answered.
enum class Focus { None, Name, Date };

class EventEditorDialog : public Dialog {
public:
    EventEditorDialog(std::unique_ptr<EventEditorModel> model, std::function<void()> stored,
                      std::string browseFolder)
        : model_(std::move(model)), stored_(std::move(stored)),
          browseFolder_(std::move(browseFolder)) {
        for (const ScheduleAction& action : model_->Actions())
            actions_.push_back(action.name);
        for (const WeekdayBox& box : model_->DayBoxes())
            days_.push_back(box);
    }

    std::string Title() const override { return LoadResourceString(EventEditorModel::kTitle); }

    void Draw(DialogUi& ui) override {
        ui.Tabs({LoadResourceString(EventEditorModel::kTitle),
                 LoadResourceString(EventEditorModel::kTimePage)},
                &page_);
        if (page_ == kEventPage)
            DrawEventPage(ui);
        else
            DrawTimePage(ui);
    }

    bool Ok(DialogUi& ui) override {
        EditorStep step = model_->Ok();
        if (step == EditorStep::Closed) {
            if (stored_)
                stored_();
            return true;
        }
        Focus focus = Focus::None;
        if (step == EditorStep::ShowOnEventPage) {
            page_ = kEventPage;
            focus = Focus::Name;
        } else if (step == EditorStep::ShowOnTimePage) {
            page_ = kTimePage;
            focus = model_->FocusDate() ? Focus::Date : Focus::None;
        }
        if (model_->Message() != 0) {
            std::weak_ptr<int> alive = alive_;
            ui.Services().Ask(LoadResourceString(model_->Message()), EventListModel::Title(),
                              QuestionButtons::Ok, [this, alive, focus](QuestionAnswer) {
                                  if (!alive.expired())
                                      focus_ = focus;
                              });
        }
        return false;
    }

    void Cancel() override { model_->Cancel(); }

private:
    void TakeFocus(DialogUi& ui, Focus field) {
        if (focus_ == field) {
            ui.FocusNext();
            focus_ = Focus::None;
        }
    }

    void DrawEventPage(DialogUi& ui) {
        std::string name = model_->Name();
        TakeFocus(ui, Focus::Name);
        if (ui.Edit(LoadResourceString(EventEditorModel::kNameLabel), &name, kNameBytes))
            model_->SetName(name);
        int32_t action = model_->SelectedAction();
        if (ui.Combo(LoadResourceString(EventEditorModel::kActionLabel), actions_, &action))
            model_->SelectAction(action);
        bool disabled = model_->Disabled();
        if (ui.Check(LoadResourceString(EventEditorModel::kDisableLabel), &disabled))
            model_->SetDisabled(disabled);
        if (model_->PropertiesShown() &&
            ui.Button(LoadResourceString(EventEditorModel::kPropertiesButton)))
            ui.Services().OpenDialog(MakePlayPropertiesDialog(*model_, browseFolder_));
    }

    void DrawTimePage(DialogUi& ui) {
        const LocalTime& start = model_->Start();
        std::string startLabel = LoadResourceString(EventEditorModel::kStartLabel);
        if (model_->DateShown()) {
            DialogDate date{start.year, start.month, start.day};
            TakeFocus(ui, Focus::Date);
            if (ui.Date(startLabel, &date))
                model_->SetStartDate(static_cast<uint16_t>(date.year),
                                     static_cast<uint16_t>(date.month),
                                     static_cast<uint16_t>(date.day));
            startLabel = "##start time";
        }
        DialogTime time{start.hour, start.minute, 0};
        if (ui.Time(startLabel, &time, false))
            model_->SetStartTime(static_cast<uint16_t>(time.hour),
                                 static_cast<uint16_t>(time.minute));
        if (model_->LengthShown()) {
            DialogTime length{static_cast<int32_t>(model_->LengthHours()),
                              static_cast<int32_t>(model_->LengthMinutes()), 0};
            if (ui.Time(LoadResourceString(EventEditorModel::kLengthLabel), &length, false))
                model_->SetLength(static_cast<uint32_t>(length.hour),
                                  static_cast<uint32_t>(length.minute));
        }
        ui.Text(LoadResourceString(EventEditorModel::kRepeatLabel));
        for (const WeekdayBox& box : days_) {
            bool ticked = model_->DayTicked(box.bit);
            if (ui.Check(box.label, &ticked))
                model_->SetDay(box.bit, ticked);
        }
    }

    std::unique_ptr<EventEditorModel> model_;
    std::function<void()> stored_;
    std::string browseFolder_;
    std::vector<std::string> actions_;
    std::vector<WeekdayBox> days_;
    int32_t page_ = kEventPage;
    Focus focus_ = Focus::None;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace

std::unique_ptr<Dialog> MakeEventEditorDialog(std::unique_ptr<EventEditorModel> model,
                                              std::function<void()> stored,
                                              std::string browseFolder) {
    return std::make_unique<EventEditorDialog>(std::move(model), std::move(stored),
                                               std::move(browseFolder));
}

} // namespace tonilo
