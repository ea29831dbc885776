#include "ui/dialogs/SchedulerDialog.h"

#include <algorithm>
#include <functional>
#include <vector>

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/EventListModel.h"
#include "ui/dialogs/EventEditorDialog.h"

namespace tonilo {
namespace {

// The list's commands in the order their buttons show.
constexpr uint32_t kCommands[] = {kNewEventCommand, kEditEventCommand, kDeleteEventCommand,
                                  kDeleteAllEventsCommand, kDisableAllEventsCommand};

class SchedulerDialog : public Dialog {
public:
    SchedulerDialog(Scheduler& scheduler, ScheduleArming& arming, std::string browseFolder)
        : model_(scheduler, arming), browseFolder_(std::move(browseFolder)) {
        model_.Open();
        for (uint32_t command : kCommands)
            labels_.push_back(LoadResourceString(command));
    }

    std::string Title() const override { return EventListModel::Title(); }

    void Draw(DialogUi& ui) override {
        std::vector<DialogListRow> rows;
        for (size_t i = 0; i < model_.Rows().size(); ++i) {
            const EventRow& event = model_.Rows()[i];
            rows.push_back({{event.name, event.time},
                            event.checked,
                            static_cast<int>(i) == model_.Selected()});
        }
        float height = ui.RemainingHeight() - ui.ButtonRowHeight(labels_);
        DialogListEvent event = ui.List("events",
                                        {LoadResourceString(EventListModel::kEventColumn),
                                         LoadResourceString(EventListModel::kTimeColumn)},
                                        rows, true, std::max(height, ui.RowHeight() * 2));
        if (event.toggled >= 0)
            model_.SetChecked(static_cast<size_t>(event.toggled),
                              rows[static_cast<size_t>(event.toggled)].checked);
        if (event.clicked >= 0)
            model_.Select(event.clicked);
        if (event.activated >= 0) {
            model_.Select(event.activated);
            Run(ui, kEditEventCommand);
        }
        std::vector<bool> enabled;
        for (uint32_t command : kCommands)
            enabled.push_back(model_.Enabled(command));
        int32_t tapped = ui.ButtonRow(labels_, enabled);
        if (tapped >= 0)
            Run(ui, kCommands[tapped]);
    }

    bool Ok(DialogUi&) override {
        model_.Ok();
        return true;
    }
    void Cancel() override { model_.Cancel(); }

private:
    void Run(DialogUi& ui, uint32_t command) { Follow(ui, model_.Command(command)); }

    void Follow(DialogUi& ui, ListStep step) {
        DialogServices& services = ui.Services();
        std::weak_ptr<int> alive = alive_;
        switch (step) {
        case ListStep::OpenEditor:
            services.OpenDialog(MakeEventEditorDialog(
                model_.TakeEditor(),
                [this, alive] {
                    if (!alive.expired())
                        model_.EditorClosed();
                },
                browseFolder_));
            break;
        case ListStep::ShowMessage:
            services.Ask(model_.Message(), EventListModel::Title(), QuestionButtons::Ok,
                         [](QuestionAnswer) {});
            break;
        case ListStep::Ask:
            services.Ask(model_.Message(), EventListModel::Title(), QuestionButtons::YesNo,
                         [this, alive](QuestionAnswer answer) {
                             if (!alive.expired())
                                 model_.Answer(answer);
                         });
            break;
        case ListStep::None:
            break;
        }
    }

    EventListModel model_;
    std::string browseFolder_;
    std::vector<std::string> labels_;
    // Answers that come after the dialog closed are dropped.
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace

std::unique_ptr<Dialog> MakeSchedulerDialog(Scheduler& scheduler, ScheduleArming& arming,
                                            std::string browseFolder) {
    return std::make_unique<SchedulerDialog>(scheduler, arming, std::move(browseFolder));
}

} // namespace tonilo
