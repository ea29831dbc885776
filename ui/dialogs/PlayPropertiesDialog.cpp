#include "ui/dialogs/PlayPropertiesDialog.h"

#include "platform/LanguageResources.h"
#include "platform/window/dialogs/DialogUi.h"
#include "scheduler/ScheduleAction.h"
#include "ui/EventEditorModel.h"
#include "ui/TextLimit.h"

namespace tonilo {
namespace {

constexpr uint32_t kBrowseText = 30205; // "Browse"
// Room for the longest path in UTF-8; it is kept to its UTF-16 limit on OK.
constexpr size_t kPathBytes = PlayProperties::kPathUnits * 3;

std::string FolderOf(const std::string& path) {
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

class PlayPropertiesDialog : public Dialog {
public:
    PlayPropertiesDialog(EventEditorModel& editor, std::string browseFolder)
        : editor_(editor), browseFolder_(std::move(browseFolder)), path_(editor.PlayFile()) {}

    std::string Title() const override {
        return LoadResourceString(EventEditorModel::kPlayPropertiesTitle);
    }

    void Draw(DialogUi& ui) override {
        std::string label = LoadResourceString(EventEditorModel::kFileToPlayLabel);
        ui.Edit(label, &path_, kPathBytes);
        if (ui.Button(LoadResourceString(kBrowseText))) {
            std::weak_ptr<int> alive = alive_;
            std::string start = path_.empty() ? browseFolder_ : FolderOf(path_);
            ui.Services().ChooseFile(label, start, false, {},
                                     [this, alive](const std::string& chosen) {
                                         if (!alive.expired() && !chosen.empty())
                                             path_ = chosen;
                                     });
        }
    }

    bool Ok(DialogUi&) override {
        editor_.SetPlayFile(ClipToUnits(path_, PlayProperties::kPathUnits - 1));
        return true;
    }

private:
    EventEditorModel& editor_;
    std::string browseFolder_;
    std::string path_;
    std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

} // namespace

std::unique_ptr<Dialog> MakePlayPropertiesDialog(EventEditorModel& editor,
                                                 std::string browseFolder) {
    return std::make_unique<PlayPropertiesDialog>(editor, std::move(browseFolder));
}

} // namespace tonilo
