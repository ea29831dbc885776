// tonilo-tool: Tonilo's command-line companion for users, administrators and tests.
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/RegistryStore.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"

namespace tonilo::tool {
namespace {

struct CommandEntry {
    const char* name;
    int (*run)(const ToolContext&, const Arguments&);
    const char* summary;
};

const CommandEntry kCommands[] = {
    {"reg", RunRegCommand, "reg get|set|list|delete ...   read and write the registry"},
    {"formats", RunFormatsCommand, "formats                       list the format registry"},
    {"info", RunInfoCommand,
     "info FILE|URL                 decoder, format and duration of a file"},
    {"convert", RunConvertCommand,
     "convert SRC DST [--encoder NAME] [--quality N]  decode and re-encode"},
    {"filter", RunFilterCommand,
     "filter IN OUT [--noise 0-4] [--gain 0-4] [--vas] [--levels]  recording filters"},
    {"skin", RunSkinCommand, "skin check FILE... | tree FILE  check skin files, show a parse tree"},
    {"settings", RunSettingsCommand, "settings list|get|set|reset ...  the program's settings"},
    {"name", RunNameCommand, "name [--dir DIR] [--template T] ...  the path of the next recording"},
    {"bookmarks", RunBookmarksCommand,
     "bookmarks list|add|remove|rename|cleanup ...  bookmarks.bin"},
    {"schedule", RunScheduleCommand,
     "schedule list|add|remove|arm ...  scheduled recordings and playback"},
    {"record", RunRecordCommand,
     "record OUT [--seconds N] [--encoder NAME] [--rate HZ] ...  record from the input"},
    {"play", RunPlayCommand, "play FILE|URL [--from MS]     play to the output"},
    {"notifications", RunNotificationsCommand,
     "notifications list            armed timed notifications, soonest first"},
    {"service", RunServiceCommand,
     "service enable|disable|status  the background service for calls and schedules"},
    {"associate", RunAssociateCommand,
     "associate list|set EXT...|restore [EXT...]  the audio types Tonilo opens"},
    {"recover", RunRecoverCommand,
     "recover DIR                   name recordings a crash left unfinished"},
    {"send", RunSendCommand,
     "send ARG...                   hand a command line to the running tonilo"},
    {"status", RunStatusCommand, "status                        what the running tonilo is doing"},
};

// A settings database others could have written may hold command lines and
// codec paths of their choosing: the tool stops before anything reads it.
bool RefuseUntrustedSettings() {
    const std::string database = tonilo::RegistryStore::DefaultPath();
    const tonilo::PathTrust trust = tonilo::RegistryStore::CheckTrust(database);
    if (trust.Trusted())
        return false;
    const char* what = trust.folder ? "the folder" : "the settings database";
    const char* tail = trust.folder ? " holding the settings database" : "";
    const char* path = trust.path.c_str();
    if (trust.problem == tonilo::TrustProblem::OtherOwner)
        std::fprintf(stderr,
                     "tonilo-tool: %s %s%s belongs to another user, so the settings were not "
                     "used.\nCheck it, then fix it with: chown %s %s\n",
                     what, path, tail, tonilo::UserName().c_str(), path);
    else
        std::fprintf(stderr,
                     "tonilo-tool: %s %s%s can be changed by other users, so the settings were "
                     "not used.\nFix it with: chmod go-w %s\n",
                     what, path, tail, path);
    return true;
}

void PrintUsage() {
    std::fprintf(stderr, "usage: tonilo-tool [--data DIR] COMMAND [ARGUMENTS]\ncommands:\n");
    for (const CommandEntry& command : kCommands)
        std::fprintf(stderr, "  %s\n", command.summary);
}

} // namespace

int UsageError(const char* usage) {
    std::fprintf(stderr, "usage: tonilo-tool %s\n", usage);
    return kExitUsage;
}

} // namespace tonilo::tool

int main(int argc, char** argv) {
    using namespace tonilo::tool;
    if (RefuseUntrustedSettings())
        return kExitFailure;
    ToolContext context = PrepareToolContext(argv[0]);
    int next = 1;
    while (next < argc && argv[next][0] == '-' && argv[next][1] == '-') {
        if (std::strcmp(argv[next], "--data") == 0 && next + 1 < argc) {
            context.dataFolder = argv[next + 1];
            next += 2;
        } else {
            PrintUsage();
            return kExitUsage;
        }
    }
    if (next >= argc) {
        PrintUsage();
        return kExitUsage;
    }
    for (const CommandEntry& command : kCommands) {
        if (std::strcmp(argv[next], command.name) == 0)
            return command.run(context, Arguments(argv + next + 1, argv + argc));
    }
    std::fprintf(stderr, "tonilo-tool: unknown command '%s'\n", argv[next]);
    PrintUsage();
    return kExitUsage;
}
