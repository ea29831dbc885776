#include "ui/RecordingMenus.h"

#include <algorithm>

#include "platform/LanguageResources.h"
#include "platform/files/FileTransfer.h"
#include "platform/files/MailSender.h"
#include "ui/RecordingListIds.h"

namespace tonilo {
namespace {

using namespace recording_list;

constexpr uint32_t kShowColumnText = 30159;
constexpr uint32_t kNoneText = 30160;
constexpr uint32_t kDateText = 30161;
constexpr uint32_t kSizeText = 30162;
constexpr uint32_t kShowFoldersText = 30163;
constexpr uint32_t kTimeText = 30166;
constexpr uint32_t kPropertiesText = 30167;
constexpr uint32_t kViewText = 30193;
constexpr uint32_t kExportText = 30194;
constexpr uint32_t kFilesText = 30203;
constexpr uint32_t kFileText = 30204;
constexpr uint32_t kBrowseText = 30205;
constexpr uint32_t kReportText = 30210;
constexpr uint32_t kDetailsText = 30211;
constexpr uint32_t kModeText = 30212;

MenuItem Item(uint32_t id, uint32_t textId, bool checked = false) {
    MenuItem item = MenuItem::Command(id, LoadResourceString(textId));
    item.checked = checked;
    return item;
}

} // namespace

Menu SortMenu(SortKey key) {
    return {Item(kSortName, kSortName, key == SortKey::Name),
            Item(kSortDate, kSortDate, key == SortKey::Date),
            Item(kSortSize, kSortSize, key == SortKey::Size)};
}

MenuItem ViewMenu(const RecordingMenuState& state) {
    bool details = state.mode == ListMode::Details;
    Menu children;
    // "Report" is the details view and "Details" the plain list, as the
    // program always named them.
    children.push_back(MenuItem::Submenu(
        0, LoadResourceString(kModeText),
        {Item(kModeDetails, kReportText, details), Item(kModeList, kDetailsText, !details)}));
    children.push_back(Item(kShowFolders, kShowFoldersText, state.showFolders));
    if (details) {
        children.push_back(
            MenuItem::Submenu(0, LoadResourceString(kShowColumnText),
                              {Item(kColumnNone, kNoneText, state.column == SecondColumn::None),
                               Item(kColumnDate, kDateText, state.column == SecondColumn::Date),
                               Item(kColumnSize, kSizeText, state.column == SecondColumn::Size),
                               Item(kColumnTime, kTimeText, state.column == SecondColumn::Time)}));
    }
    return MenuItem::Submenu(0, LoadResourceString(kViewText), std::move(children));
}

Menu FileMenuItems(const std::vector<std::string>& items, const RecordingMenuState& state) {
    bool full = !state.currentFileMode; // New Folder and View only on the list itself
    Menu menu;
    bool oneFile = items.size() == 1 && !IsFolder(items[0]);
    bool anyFile = std::any_of(items.begin(), items.end(),
                               [](const std::string& item) { return !IsFolder(item); });
    if (oneFile)
        menu.push_back(Item(kExport, kExportText));
    if (!items.empty()) {
        menu.push_back(Item(kCopyTo, kCopyTo));
        menu.push_back(Item(kMoveTo, kMoveTo));
        // Infrared and Bluetooth have no stand-in here; only mail is offered.
        if (anyFile && !FindMailProgram().empty())
            menu.push_back(
                MenuItem::Submenu(kSendTo, LoadResourceString(kSendTo), {Item(kMail, kMail)}));
    }
    if (full && state.showFolders)
        menu.push_back(Item(kNewFolder, kNewFolder));
    if (items.size() == 1)
        menu.push_back(Item(kRename, kRename));
    if (!items.empty())
        menu.push_back(Item(kDelete, kDelete));
    if (full)
        menu.push_back(ViewMenu(state));
    if (oneFile) {
        if (full)
            menu.push_back(MenuItem::Separator());
        menu.push_back(Item(kProperties, kPropertiesText));
    }
    return menu;
}

void FillFilesSubmenu(MenuItem* files, const std::vector<std::string>& items,
                      const RecordingMenuState& state) {
    files->text = LoadResourceString(state.currentFileMode ? kFileText : kFilesText);
    files->enabled = !state.currentFileMode || state.fileOpen;
    files->children = FileMenuItems(items, state);
}

MenuItem BrowseItem(bool currentFileMode) {
    return currentFileMode ? Item(kBrowse, kBrowseText) : Item(kBrowseFolder, kBrowseFolder);
}

} // namespace tonilo
