#include "ui/dialogs/ButtonCaptureDialog.h"

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "ui/ButtonsPage.h"

namespace tonilo {
namespace {

class ButtonCaptureDialog : public Dialog {
public:
    ButtonCaptureDialog(HardwareButtons& manager, uint32_t action,
                        std::function<void(uint32_t key)> done)
        : done_(std::move(done)), capture_(manager, action, [this](uint32_t key) {
              if (done_)
                  done_(key);
          }) {}

    std::string Title() const override { return LoadResourceString(ButtonsPage::kTitle); }
    DialogKeys Keys() const override { return DialogKeys::CancelOnly; }
    bool Finished() const override { return capture_.Done() || reset_; }
    // Every key goes to the hardware buttons, which report the press to the
    // capture and not to the window.
    bool TakesHardwareKeys() const override { return true; }
    // A key reaches the buttons without drawing a frame: a frame now and then
    // sees the capture done and closes the dialog.
    uint32_t RefreshMilliseconds() const override { return 100; }

    void Draw(DialogUi& ui) override {
        ui.Text(ButtonCapture::Prompt());
        ui.Heading(capture_.ActionLabel());
        ui.Spacing();
        if (ui.Button(LoadResourceString(ButtonCapture::kResetText), !Finished())) {
            reset_ = true;
            if (done_)
                done_(0);
        }
    }

private:
    std::function<void(uint32_t)> done_;
    ButtonCapture capture_;
    bool reset_ = false;
};

} // namespace

std::unique_ptr<Dialog> MakeButtonCaptureDialog(HardwareButtons& manager, uint32_t action,
                                                std::function<void(uint32_t key)> done) {
    return std::make_unique<ButtonCaptureDialog>(manager, action, std::move(done));
}

} // namespace tonilo
