#include "ui/dialogs/EqualizerDialog.h"

#include <algorithm>

#include "Libs/ToniloLib/Src/filters/EqPresets.h"
#include "Libs/ToniloLib/Src/filters/EqualizerFilter.h"
#include "app/EngineController.h"
#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/EqualizerDialogModel.h"

namespace tonilo {
namespace {

using Model = EqualizerDialogModel;

constexpr uint32_t kFirstBandCaption = 32600; // "31" .. "16k"
constexpr uint32_t kPresetLabel = 32610;

struct PresetsDeleter {
    void operator()(EqPresets* presets) const { presets->Destroy(); }
};

class EqualizerDialog : public Dialog {
public:
    // `filter` is the player's equalizer (a reference the dialog keeps) or null
    // when no file is open: then only the stored settings change.
    EqualizerDialog(EngineController& engine, const std::string& keyPath, EqualizerFilter* filter)
        : engine_(engine), filter_(filter), presets_(new EqPresets(filter, keyPath.c_str())),
          model_(*presets_, filter_), names_(Model::PresetNames()) {
        for (int band = 0; band < Model::kBands; ++band)
            captions_.push_back(LoadResourceString(kFirstBandCaption + band));
        captions_.push_back(LoadResourceString(Model::kPreampLabel));
    }
    ~EqualizerDialog() override {
        if (filter_)
            filter_->Release();
    }

    std::string Title() const override { return LoadResourceString(Model::kTitle); }

    void Draw(DialogUi& ui) override {
        bool on = model_.EqualizerOn();
        if (ui.Check(LoadResourceString(Model::kEnableLabel), &on))
            model_.SetEqualizerOn(on);
        const bool enabled = model_.ControlsEnabled();
        int32_t preset = static_cast<int32_t>(model_.Preset());
        if (ui.Combo(LoadResourceString(kPresetLabel), names_, &preset, enabled))
            model_.SelectPreset(static_cast<uint32_t>(preset));
        if (ui.Button(LoadResourceString(Model::kResetButton), enabled))
            model_.Reset();
        DrawSliders(ui, enabled);
    }

    bool Ok(DialogUi&) override {
        model_.Ok();
        presets_->Save();
        engine_.ReloadEqualizerSettings();
        return true;
    }
    void Cancel() override { model_.Cancel(); }

private:
    void DrawSliders(DialogUi& ui, bool enabled) {
        // The strip takes the rest of the body: captions and a scroll bar
        // under the sliders, and never less than a few rows of travel.
        const float strip = std::max(ui.RemainingHeight(), ui.RowHeight() * 4.0f);
        const float slider = strip - ui.RowHeight() * 1.5f;
        ui.BeginSideScroll("bands", strip);
        for (int index = 0; index < Model::kSliders; ++index) {
            if (index > 0)
                ui.SameLine();
            // Up raises the band: the model's position counts from the top.
            int32_t position = Model::kMaxPosition - model_.Position(index);
            SliderChange change =
                ui.VerticalSlider("band" + std::to_string(index), captions_[index], &position,
                                  Model::kMaxPosition, slider, enabled);
            if (change == SliderChange::None)
                continue;
            model_.SetPosition(index, Model::kMaxPosition - position);
            if (change == SliderChange::Released)
                model_.Released(index);
        }
        ui.EndSideScroll();
    }

    EngineController& engine_;
    EqualizerFilter* filter_;
    std::unique_ptr<EqPresets, PresetsDeleter> presets_;
    Model model_;
    std::vector<std::string> names_;
    std::vector<std::string> captions_;
};

} // namespace

std::unique_ptr<Dialog> MakeEqualizerDialog(EngineController& engine, const std::string& keyPath) {
    // What the player holds (a toggle by hot key) is what the dialog starts from.
    engine.SaveEqualizerSettings();
    return std::make_unique<EqualizerDialog>(engine, keyPath, engine.PlaybackEqualizer());
}

} // namespace tonilo
