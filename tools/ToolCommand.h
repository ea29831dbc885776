#pragma once
// tonilo-tool's commands. Each command lives in commands/<Name>Command.cpp and is
// listed once in main.cpp's table. A command returns the process exit code:
// 0 success, 1 a failure the user caused or must know about, 2 a wrong invocation.
#include <string>
#include <vector>

namespace tonilo::tool {

struct ToolContext {
    std::string programFolder; // the folder tonilo-tool runs from
    std::string dataFolder;    // --data DIR, else where bookmarks and schedules live
};

using Arguments = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Prints the command's usage to standard error and returns kExitUsage.
int UsageError(const char* usage);

int RunRegCommand(const ToolContext& context, const Arguments& arguments);
int RunFormatsCommand(const ToolContext& context, const Arguments& arguments);
int RunInfoCommand(const ToolContext& context, const Arguments& arguments);
int RunConvertCommand(const ToolContext& context, const Arguments& arguments);
int RunFilterCommand(const ToolContext& context, const Arguments& arguments);
int RunSkinCommand(const ToolContext& context, const Arguments& arguments);
int RunSettingsCommand(const ToolContext& context, const Arguments& arguments);
int RunNameCommand(const ToolContext& context, const Arguments& arguments);
int RunBookmarksCommand(const ToolContext& context, const Arguments& arguments);
int RunScheduleCommand(const ToolContext& context, const Arguments& arguments);
int RunRecordCommand(const ToolContext& context, const Arguments& arguments);
int RunPlayCommand(const ToolContext& context, const Arguments& arguments);
int RunRecoverCommand(const ToolContext& context, const Arguments& arguments);
int RunSendCommand(const ToolContext& context, const Arguments& arguments);
int RunStatusCommand(const ToolContext& context, const Arguments& arguments);
int RunNotificationsCommand(const ToolContext& context, const Arguments& arguments);
int RunServiceCommand(const ToolContext& context, const Arguments& arguments);
int RunAssociateCommand(const ToolContext& context, const Arguments& arguments);

} // namespace tonilo::tool
