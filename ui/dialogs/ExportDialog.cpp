#include "ui/dialogs/ExportDialog.h"

#include <cstdio>

#include "platform/LanguageResources.h"
#include "platform/PathParts.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/ExportDialogModel.h"

namespace tonilo {
namespace {

constexpr uint32_t kProgressFormat = 32700; // "%s of %s"
constexpr uint32_t kRefreshWhileExporting = 100;
constexpr uint32_t kExportCommandText = 13117; // "Export"

std::string Text(uint32_t id) {
    return LoadResourceString(id);
}

std::string MinutesAndSeconds(uint32_t seconds) {
    char text[24];
    std::snprintf(text, sizeof text, "%u:%02u", seconds / 60, seconds % 60);
    return text;
}

class ExportDialog : public Dialog {
    // An answer that arrives after the dialog has gone is dropped. (Defined
    // first: its users need its deduced type.)
    template <typename Call> auto Guarded(Call call) {
        std::weak_ptr<int> alive = alive_;
        return [alive, call](const auto&... arguments) {
            if (!alive.expired())
                call(arguments...);
        };
    }

public:
    explicit ExportDialog(ExportDialogSetup setup)
        : setup_(std::move(setup)), model_(setup_.registry, ExportListener{}) {}
    ~ExportDialog() override { model_.Abandon(); }

    bool Open() {
        if (!model_.Open(setup_.source))
            return false;
        if (setup_.initialFormat)
            model_.ChangeFormat(*setup_.initialFormat);
        return true;
    }

    std::string Title() const override { return Text(ExportDialogModel::kTitleText); }
    DialogKeys Keys() const override {
        return model_.Converting() ? DialogKeys::CancelOnly : DialogKeys::OkCancel;
    }
    uint32_t RefreshMilliseconds() const override {
        return model_.Converting() ? kRefreshWhileExporting : 0;
    }
    bool Finished() const override { return finished_; }
    bool CancelKeepsOpen() const override { return model_.Converting(); }
    std::string OkText() const override { return Text(kExportCommandText); }

    void Draw(DialogUi& ui) override {
        services_ = &ui.Services();
        if (std::optional<ExportClosing> closing = model_.PollEnd())
            WorkerEnded(*closing);

        ui.Heading(Text(ExportDialogModel::kSourceLabel));
        ui.Text(FileNameOf(model_.SourcePath()));
        ui.Text(model_.SourceDescription());
        if (model_.ProgressShown()) {
            DrawProgress(ui);
            return;
        }

        ui.Spacing();
        if (focusName_) {
            ui.FocusNext();
            focusName_ = false;
        }
        std::string target = model_.TargetPath();
        if (ui.Edit(Text(ExportDialogModel::kTargetLabel), &target,
                    ExportDialogModel::kTargetLimit))
            model_.SetTargetText(target);
        if (ui.Button(Text(ExportDialogModel::kBrowseText)))
            Browse();

        ui.Heading(Text(ExportDialogModel::kTargetPropertiesLabel));
        if (!model_.TargetDescription().empty())
            ui.Text(model_.TargetDescription());
        if (ui.Button(Text(ExportDialogModel::kChangeText), static_cast<bool>(setup_.formatDialog)))
            ChangeFormat();
    }

    bool Ok(DialogUi& ui) override {
        services_ = &ui.Services();
        Act(model_.Export());
        // The dialog ends by itself once the export is complete.
        return false;
    }

    // A running export stops (its partial file deleted) and the dialog goes
    // back to editing; an idle one closes.
    void Cancel() override { model_.Cancel(); }

private:
    void DrawProgress(DialogUi& ui) {
        ui.Heading(Text(ExportDialogModel::kTargetPropertiesLabel));
        ui.Text(FileNameOf(model_.TargetPath()));
        ui.Text(model_.TargetDescription());
        ui.Spacing();
        ui.Text(ExportDialogModel::ExportingText());
        const ExportProgress progress = model_.Progress();
        ui.Progress(
            static_cast<float>(progress.fraction),
            FillInResourceString(kProgressFormat, {MinutesAndSeconds(progress.positionSeconds),
                                                   MinutesAndSeconds(progress.rangeSeconds)}));
    }

    void WorkerEnded(ExportClosing closing) {
        switch (closing) {
        case ExportClosing::CloseExported:
            finished_ = true;
            if (setup_.exported)
                setup_.exported(model_.TargetPath());
            break;
        case ExportClosing::ShowError:
            Tell(model_.FailureText());
            break;
        case ExportClosing::BackToEditing:
            break;
        }
    }

    // What "Export" and the answer to its question lead to.
    void Act(ExportStep step) {
        switch (step) {
        case ExportStep::AskTargetName:
            Ask(model_.Message(), QuestionButtons::Ok, [this](QuestionAnswer) { Browse(); });
            break;
        case ExportStep::ChangeFormat:
            ChangeFormat();
            break;
        case ExportStep::NameRefused:
            Tell(ExportDialogModel::LoggedErrorText());
            focusName_ = true;
            break;
        case ExportStep::AskOverwrite:
            Ask(model_.Message(), QuestionButtons::YesNo, [this](QuestionAnswer answer) {
                Act(model_.AnswerOverwrite(answer == QuestionAnswer::Yes));
            });
            break;
        case ExportStep::NoRoom:
            Tell(model_.Message());
            break;
        case ExportStep::Ignored:
        case ExportStep::Started:
            break;
        }
    }

    void Browse() {
        if (services_ == nullptr)
            return;
        std::vector<std::string> extensions;
        if (!model_.TargetExtension().empty())
            extensions.push_back(model_.TargetExtension());
        services_->ChooseFile(Text(ExportDialogModel::kBrowseText), model_.TargetPath(), true,
                              extensions, Guarded([this](const std::string& path) {
                                  if (!path.empty())
                                      model_.BrowseDone(path);
                              }));
    }

    void ChangeFormat() {
        if (services_ == nullptr || !setup_.formatDialog)
            return;
        const QualityPreset current = model_.HasTargetFormat() ? model_.TargetFormat()
                                      : setup_.initialFormat   ? *setup_.initialFormat
                                                               : QualityPreset{};
        std::unique_ptr<Dialog> dialog = setup_.formatDialog(
            current, Guarded([this](const QualityPreset& chosen) { model_.ChangeFormat(chosen); }));
        if (dialog)
            services_->OpenDialog(std::move(dialog));
    }

    void Tell(const std::string& text) {
        Ask(text, QuestionButtons::Ok, [](QuestionAnswer) {});
    }

    void Ask(const std::string& text, QuestionButtons buttons,
             const std::function<void(QuestionAnswer)>& answered) {
        if (services_ != nullptr)
            services_->Ask(text, setup_.productName, buttons, Guarded(answered));
    }

    ExportDialogSetup setup_;
    ExportDialogModel model_;
    DialogServices* services_ = nullptr;
    bool focusName_ = false;
    bool finished_ = false;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace

std::unique_ptr<Dialog> MakeExportDialog(ExportDialogSetup setup) {
    auto dialog = std::make_unique<ExportDialog>(std::move(setup));
    if (!dialog->Open())
        return nullptr;
    return dialog;
}

} // namespace tonilo
