#pragma once
// Runs the built tonilo-tool as a user would, with its registry, home and data
// folder inside a scratch folder, and collects what it prints.
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <string>

namespace tonilo::test {

struct ToolRun {
    std::string output; // standard output
    std::string errors; // standard error
    int exitCode = -1;
};

inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// `scratch` holds the registry database, the home folder, the runtime folder
// (so no run meets a program another test started) and the error output.
// `environment` adds NAME=VALUE words (quoted as the shell needs) to the run's.
inline ToolRun RunToolIn(const std::string& scratch, const std::string& arguments,
                         const std::string& tool = TONILO_PROGRAM_DIR "/tonilo-tool",
                         const std::string& environment = "") {
    const std::string errors = scratch + "/tool-errors.txt";
    const std::string runtime = scratch + "/runtime";
    ::mkdir(runtime.c_str(), 0700);
    std::string command = "env TONILO_REGISTRY=" + Quoted(scratch + "/registry.db") +
                          " XDG_RUNTIME_DIR=" + Quoted(runtime) +
                          " HOME=" + Quoted(scratch + "/home") +
                          " XDG_CONFIG_HOME=" + Quoted(scratch + "/config") +
                          " XDG_DATA_HOME=" + Quoted(scratch + "/share") + " " + environment + " " +
                          Quoted(tool) + " " + arguments + " 2>" + Quoted(errors);
    ToolRun run;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe)
        return run;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.output.append(buffer, count);
    int status = ::pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (std::FILE* file = std::fopen(errors.c_str(), "rb")) {
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            run.errors.append(buffer, count);
        std::fclose(file);
    }
    return run;
}

} // namespace tonilo::test
