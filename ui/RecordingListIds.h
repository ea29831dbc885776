#pragma once
// The recording list's command ids (menu items the main window hands to
// RecordingList::HandleCommand) and the notification codes it sends to its
// owner (see RecordingList.h for what each carries).
#include <cstdint>

namespace tonilo::recording_list {

// Commands.
constexpr uint32_t kShowFolders = 1142;
constexpr uint32_t kColumnNone = 1143;
constexpr uint32_t kColumnDate = 1144;
constexpr uint32_t kColumnSize = 1145;
constexpr uint32_t kSortName = 1147;
constexpr uint32_t kSortDate = 1148;
constexpr uint32_t kSortSize = 1149;
constexpr uint32_t kColumnTime = 1150;
constexpr uint32_t kModeDetails = 1162; // "Report"
constexpr uint32_t kModeList = 1163;    // "Details"
constexpr uint32_t kCopyTo = 13058;
constexpr uint32_t kMoveTo = 13059;
constexpr uint32_t kSendTo = 13060; // the submenu
constexpr uint32_t kRename = 13061;
constexpr uint32_t kProperties = 13064;
constexpr uint32_t kBrowseFolder = 13119;
constexpr uint32_t kBrowse = 13121;
constexpr uint32_t kExport = 13136;
constexpr uint32_t kDelete = 30006;
constexpr uint32_t kNewFolder = 30008;
constexpr uint32_t kMail = 30017;
constexpr uint32_t kInfrared = 30025;
constexpr uint32_t kBluetooth = 30026;

// Notifications to the owner.
constexpr int32_t kFolderChanged = 30;
constexpr int32_t kCurrentClosing = 51;
constexpr int32_t kCurrentMoved = 52;
constexpr int32_t kActivated = 53;
constexpr int32_t kFolderOpened = 54;
constexpr int32_t kExportRequested = 57;
constexpr int32_t kPropertiesRequested = 58;
constexpr int32_t kRenamed = 59;
constexpr int32_t kCopied = 60;
constexpr int32_t kDeleted = 61;

} // namespace tonilo::recording_list
