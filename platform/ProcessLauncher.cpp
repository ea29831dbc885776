#include "platform/ProcessLauncher.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

extern char** environ;

namespace tonilo {
namespace {

bool Spawn(const std::vector<std::string>& arguments, bool detach, pid_t* pid) {
    if (arguments.empty() || arguments[0].empty())
        return false;
    std::vector<char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
    posix_spawnattr_init(&attributes);
    posix_spawn_file_actions_init(&actions);
    if (detach) {
        // Its own session: a terminal closing or the writer's group being
        // signalled does not end a recording it started.
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
        // Nor does it hold the writer's pipes open: a shell reading the
        // writer's output would otherwise wait for the end of a recording.
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 34)
        posix_spawn_file_actions_addclosefrom_np(&actions, 3);
#endif
    }
    int result = posix_spawn(pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return result == 0;
}

} // namespace

int RunAndWait(const std::vector<std::string>& arguments) {
    pid_t pid;
    std::vector<std::string> resolved = arguments;
    // posix_spawn takes a path; look bare names up as a shell would.
    if (!resolved.empty() && resolved[0].find('/') == std::string::npos) {
        std::vector<std::string> withShell = {"/usr/bin/env"};
        withShell.insert(withShell.end(), resolved.begin(), resolved.end());
        resolved.swap(withShell);
    }
    if (!Spawn(resolved, false, &pid))
        return -1;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool SpawnDetached(const std::vector<std::string>& arguments) {
    pid_t pid;
    if (!Spawn(arguments, true, &pid))
        return false;
    std::thread([pid] {
        int status;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

std::vector<std::string> SplitCommandLine(const std::string& commandLine) {
    std::vector<std::string> tokens;
    size_t at = 0;
    while (at < commandLine.size()) {
        if (commandLine[at] == ' ' || commandLine[at] == '\t') {
            ++at;
            continue;
        }
        if (commandLine[at] == '"') {
            size_t end = commandLine.find('"', at + 1);
            if (end == std::string::npos)
                end = commandLine.size();
            tokens.push_back(commandLine.substr(at + 1, end - at - 1));
            at = end + 1;
            continue;
        }
        size_t end = commandLine.find_first_of(" \t", at);
        if (end == std::string::npos)
            end = commandLine.size();
        tokens.push_back(commandLine.substr(at, end - at));
        at = end;
    }
    return tokens;
}

} // namespace tonilo
