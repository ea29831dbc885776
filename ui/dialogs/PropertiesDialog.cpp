#include "ui/dialogs/PropertiesDialog.h"

#include <atomic>
#include <thread>

#include "formats/FormatRegistry.h"
#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/FileProperties.h"

namespace tonilo {
namespace {

constexpr uint32_t kReadingText = 32650;
constexpr uint32_t kUnreadableText = 32651;
constexpr uint32_t kPollMilliseconds = 50;

// What the reading thread hands over; `done` publishes the rest.
struct Reading {
    FileProperties properties;
    bool readable = false;
    std::atomic<bool> done{false};
};

class PropertiesDialog : public Dialog {
public:
    PropertiesDialog(FormatRegistry* registry, const std::string& path)
        : path_(path), reading_(std::make_shared<Reading>()) {
        if (registry)
            registry->AddRef();
        thread_ = std::thread([registry, path, reading = reading_] {
            FileProperties properties;
            reading->readable = registry && properties.Load(registry, path);
            reading->properties = properties;
            if (registry)
                registry->Release();
            reading->done = true;
        });
    }
    ~PropertiesDialog() override {
        // A read still under way finishes on its own; it owns what it uses.
        if (reading_->done)
            thread_.join();
        else
            thread_.detach();
    }

    std::string Title() const override { return LoadResourceString(FileProperties::kTitleText); }
    DialogKeys Keys() const override { return DialogKeys::Close; }
    uint32_t RefreshMilliseconds() const override { return reading_->done ? 0 : kPollMilliseconds; }

    void Draw(DialogUi& ui) override {
        if (!reading_->done) {
            Field(ui, FileProperties::kFileNameLabel, path_);
            ui.DisabledText(LoadResourceString(kReadingText));
            return;
        }
        const FileProperties& p = reading_->properties;
        Field(ui, FileProperties::kFileNameLabel, path_);
        Field(ui, FileProperties::kSizeLabel, p.Size());
        Field(ui, FileProperties::kFormatLabel, p.Format());
        Field(ui, FileProperties::kLengthLabel, p.Length());
        Field(ui, FileProperties::kSamplingRateLabel, p.SamplingRate());
        Field(ui, FileProperties::kBitsLabel, p.Bits());
        Field(ui, FileProperties::kChannelsLabel, p.Channels());
        if (!reading_->readable)
            ui.DisabledText(LoadResourceString(kUnreadableText));
    }

private:
    // The label greyed on its line, the value under it: a long path wraps
    // rather than running off a narrow screen.
    static void Field(DialogUi& ui, uint32_t label, const std::string& value) {
        ui.DisabledText(LoadResourceString(label));
        ui.Text(value);
    }

    std::string path_;
    std::shared_ptr<Reading> reading_;
    std::thread thread_;
};

} // namespace

std::unique_ptr<Dialog> MakePropertiesDialog(FormatRegistry* registry, const std::string& path) {
    return std::make_unique<PropertiesDialog>(registry, path);
}

} // namespace tonilo
