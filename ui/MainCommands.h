#pragma once
// Command ids of the main window's menus and soft keys, and the texts' ids.
#include <cstdint>

namespace tonilo {

constexpr uint32_t kCmdRecord = 13011;
constexpr uint32_t kCmdStop = 1042;
constexpr uint32_t kCmdBrowseFolder = 13119;
constexpr uint32_t kCmdBrowse = 13121;
// The recording list's own page closes (its "Done" key).
constexpr uint32_t kCmdCloseFilesPage = 13122;
constexpr uint32_t kTextDone = 32117;
constexpr uint32_t kCmdAddBookmark = 13120;
constexpr uint32_t kCmdBookmarkManager = 13090;
constexpr uint32_t kCmdFirstBookmark = 13080;
constexpr uint32_t kCmdLastBookmark = 13088;
constexpr uint32_t kCmdExport = 13136;
constexpr uint32_t kCmdProperties = 13064;
constexpr uint32_t kCmdGeneral = 13129;
constexpr uint32_t kCmdBookmarkOptions = 13148;
constexpr uint32_t kCmdAssociations = 13149;
constexpr uint32_t kCmdGetUpdate = 13024;
constexpr uint32_t kCmdAbout = 13013;
constexpr uint32_t kCmdFilters = 13130;
constexpr uint32_t kCmdEqualizer = 13026;
constexpr uint32_t kCmdScheduler = 13016;
constexpr uint32_t kCmdSleepOff = 13073; // 13073..13077: off, 30, 60, 90, 120 minutes
constexpr uint32_t kCmdSleep120 = 13077;
constexpr uint32_t kCmdAutoPlayNext = 13111;
constexpr uint32_t kCmdDisplayOff = 13017;
constexpr uint32_t kCmdExit = 13007;
constexpr uint32_t kCmdNoise = 13065;
constexpr uint32_t kCmdGain = 13066;
constexpr uint32_t kCmdVas = 13067;
constexpr uint32_t kCmdEqualizerOnOff = 13068;
constexpr uint32_t kCmdShowBookmarks = 1224;
constexpr uint32_t kCmdDisplayOffTimeout = 1226;
constexpr uint32_t kCmdSortName = 1147;
constexpr uint32_t kCmdSortDate = 1148;
constexpr uint32_t kCmdSortSize = 1149;

// Texts.
constexpr uint32_t kTextRecord = 13010;
constexpr uint32_t kTextStop = 13049;
constexpr uint32_t kTextMenu = 31040;
constexpr uint32_t kTextFiles = 31041;
constexpr uint32_t kTextSleep = 31042;
constexpr uint32_t kTextSettings = 31043;
constexpr uint32_t kTextHelp = 31049;
constexpr uint32_t kTextBookmarks = 13148;
constexpr uint32_t kTextSortBy = 13139;

} // namespace tonilo
