#include "ui/dialogs/FormatDialog.h"

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/FormatDialogModel.h"

namespace tonilo {
namespace {

using Field = FormatDialogModel::Field;

std::string Text(uint32_t id) {
    return LoadResourceString(id);
}

class FormatDialog : public Dialog {
public:
    FormatDialog(std::unique_ptr<FormatDialogModel> model,
                 std::function<void(const FormatDialogModel&)> done)
        : model_(std::move(model)), done_(std::move(done)) {}

    std::string Title() const override { return Text(FormatDialogModel::kTitleText); }

    void Draw(DialogUi& ui) override {
        FormatDialogModel& model = *model_;
        int32_t encoder = model.SelectedEncoder();
        if (ui.Combo(Text(FormatDialogModel::kEncoderLabel), model.Encoders(), &encoder,
                     model.Enabled(Field::Encoder)))
            model.SelectEncoder(encoder);
        int32_t quality = model.SelectedQuality();
        if (ui.Combo(Text(FormatDialogModel::kQualityLabel), model.Qualities(), &quality,
                     model.Enabled(Field::Quality)))
            model.SelectQuality(quality);
        bool all = model.All();
        if (ui.Check(Text(FormatDialogModel::kAllText), &all, model.Enabled(Field::All)))
            model.SetAll(all);
        std::vector<std::string> formats;
        for (const OfferedFormat& format : model.Formats())
            formats.push_back(format.text);
        int32_t format = model.SelectedFormat();
        if (ui.Combo(Text(FormatDialogModel::kFormatLabel), formats, &format,
                     model.Enabled(Field::Format)))
            model.SelectFormat(format);
        ui.Separator();
        ui.Text(Text(FormatDialogModel::kBitrateLabel) + model.BitrateText());
        // Worked out from the folder's free space; a long text wraps.
        ui.Text(Text(FormatDialogModel::kMaxTimeLabel) + model.MaxRecordingTimeText());
    }

    bool Ok(DialogUi&) override {
        // Without an encoder or a format there is nothing to take: the preset
        // stays as it was.
        if (done_ && model_->CanAccept())
            done_(*model_);
        return true;
    }

private:
    std::unique_ptr<FormatDialogModel> model_;
    std::function<void(const FormatDialogModel&)> done_;
};

} // namespace

std::unique_ptr<Dialog> MakeFormatDialog(std::unique_ptr<FormatDialogModel> model,
                                         std::function<void(const FormatDialogModel&)> done) {
    return std::make_unique<FormatDialog>(std::move(model), std::move(done));
}

} // namespace tonilo
