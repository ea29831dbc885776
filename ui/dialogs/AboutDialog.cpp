#include "ui/dialogs/AboutDialog.h"

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"

namespace tonilo {
namespace {

constexpr uint32_t kAboutTitle = 13013;
constexpr uint32_t kVersionFormat = 31060; // "Version %s"
constexpr uint32_t kAboutText = 31061;

std::string TwoDigits(uint32_t value) {
    return std::string(1, static_cast<char>('0' + value / 10 % 10)) +
           static_cast<char>('0' + value % 10);
}

class AboutDialog : public Dialog {
public:
    AboutDialog(std::string product, uint32_t version)
        : product_(std::move(product)),
          version_(FillInResourceString(
              kVersionFormat, {std::to_string(version / 100) + "." + TwoDigits(version % 100)})) {}

    std::string Title() const override { return LoadResourceString(kAboutTitle); }
    DialogKeys Keys() const override { return DialogKeys::Close; }
    void Draw(DialogUi& ui) override {
        ui.Heading(product_);
        ui.Text(version_);
        ui.Spacing();
        ui.Text(LoadResourceString(kAboutText));
    }

private:
    std::string product_;
    std::string version_;
};

} // namespace

std::unique_ptr<Dialog> MakeAboutDialog(const std::string& title, uint32_t version) {
    return std::make_unique<AboutDialog>(title, version);
}

} // namespace tonilo
