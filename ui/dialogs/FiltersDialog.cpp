#include "ui/dialogs/FiltersDialog.h"

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/FiltersDialogModel.h"

namespace tonilo {
namespace {

using Model = FiltersDialogModel;

class FiltersDialog : public Dialog {
public:
    FiltersDialog(SettingsStore& settings, std::function<void()> applied)
        : settings_(settings), applied_(std::move(applied)), model_(settings),
          noiseNames_(Model::NoiseLevelNames()), gainNames_(Model::GainLevelNames()) {}

    std::string Title() const override { return LoadResourceString(Model::kTitle); }

    void Draw(DialogUi& ui) override {
        bool noiseOn = model_.NoiseOn();
        if (ui.Check(LoadResourceString(Model::kNoiseLabel), &noiseOn))
            model_.SetNoiseOn(noiseOn);
        int32_t noise = model_.NoiseLevel();
        if (ui.Combo(LoadResourceString(Model::kStrengthLabel), noiseNames_, &noise))
            model_.SetNoiseLevel(noise);
        ui.Separator();

        bool gainOn = model_.GainOn();
        if (ui.Check(LoadResourceString(Model::kGainLabel), &gainOn))
            model_.SetGainOn(gainOn);
        int32_t gain = model_.GainLevel();
        if (ui.Combo(LoadResourceString(Model::kLevelLabel), gainNames_, &gain))
            model_.SetGainLevel(gain);
        ui.Separator();

        bool vasOn = model_.VasOn();
        if (ui.Check(LoadResourceString(Model::kVasLabel), &vasOn))
            model_.SetVasOn(vasOn);
        ui.DisabledText(LoadResourceString(Model::kVasText));
    }

    bool Ok(DialogUi&) override {
        model_.Ok(settings_);
        if (applied_)
            applied_();
        return true;
    }

private:
    SettingsStore& settings_;
    std::function<void()> applied_;
    Model model_;
    std::vector<std::string> noiseNames_, gainNames_;
};

} // namespace

std::unique_ptr<Dialog> MakeFiltersDialog(SettingsStore& settings, std::function<void()> applied) {
    return std::make_unique<FiltersDialog>(settings, std::move(applied));
}

} // namespace tonilo
