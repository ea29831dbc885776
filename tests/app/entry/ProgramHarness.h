#pragma once
// Runs the built tonilo as separate processes inside a scratch folder of the
// test's own (registry, runtime folder with the instance socket, home), and
// asks the running instance for its status until a condition holds.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <functional>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/ScratchFolder.h"
#include "tests/support/ToolRunner.h"

namespace tonilo::test {

constexpr auto kGenerous = std::chrono::seconds(30);

using Status = std::map<std::string, std::string>;

class ProgramHarness {
public:
    // With its own program folder (a copy of the built one) the test may write
    // files the program keeps beside itself, such as the schedule.
    explicit ProgramHarness(bool ownProgramFolder = false) : folder_(TONILO_PROGRAM_DIR) {
        if (ownProgramFolder) {
            folder_ = scratch_ / "Tonilo";
            std::filesystem::create_directories(folder_ + "/Codecs");
            for (const char* file : {"tonilo", "tonilo-tool", "tonilo-service"})
                if (std::filesystem::exists(std::string(TONILO_PROGRAM_DIR) + "/" + file))
                    std::filesystem::copy_file(std::string(TONILO_PROGRAM_DIR) + "/" + file,
                                               folder_ + "/" + file);
            for (const auto& entry :
                 std::filesystem::directory_iterator(TONILO_PROGRAM_DIR "/Codecs"))
                std::filesystem::copy_file(entry.path(),
                                           folder_ + "/Codecs/" + entry.path().filename().string());
            // Read only: shared with the built folder.
            for (const char* shared : {"Skins", "Lang"})
                if (std::filesystem::exists(std::string(TONILO_PROGRAM_DIR) + "/" + shared))
                    std::filesystem::create_directory_symlink(
                        std::string(TONILO_PROGRAM_DIR) + "/" + shared, folder_ + "/" + shared);
        }
        for (const char* folder : {"runtime", "home", "config", "share"})
            std::filesystem::create_directories(scratch_ / folder);
        std::filesystem::permissions(scratch_ / "runtime", std::filesystem::perms::owner_all);
        // Inherited by tonilo and tonilo-tool alike.
        ::setenv("XDG_RUNTIME_DIR", (scratch_ / "runtime").c_str(), 1);
        ::setenv("TONILO_REGISTRY", (scratch_ / "registry.db").c_str(), 1);
        ::setenv("HOME", (scratch_ / "home").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (scratch_ / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (scratch_ / "share").c_str(), 1);
        ::setenv("SDL_AUDIODRIVER", "dummy", 1);
        ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    }
    ~ProgramHarness() {
        for (pid_t child : children_) {
            if (::kill(child, 0) == 0) {
                ::kill(child, SIGKILL);
                ::waitpid(child, nullptr, 0);
            }
        }
    }

    const ScratchFolder& Scratch() const { return scratch_; }

    // Starts tonilo with the arguments; its output goes to a file of the scratch folder.
    pid_t Start(const std::vector<std::string>& arguments, const std::string& workingFolder = "") {
        std::string log = scratch_ / ("tonilo-" + std::to_string(children_.size()) + ".log");
        pid_t child = ::fork();
        if (child == 0) {
            if (!workingFolder.empty() && ::chdir(workingFolder.c_str()) != 0)
                _exit(126);
            int fd = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            ::dup2(fd, 1);
            ::dup2(fd, 2);
            std::vector<char*> argv;
            std::string program = folder_ + "/tonilo";
            argv.push_back(program.data());
            std::vector<std::string> copies = arguments;
            for (std::string& argument : copies)
                argv.push_back(argument.data());
            argv.push_back(nullptr);
            ::execv(program.c_str(), argv.data());
            _exit(127);
        }
        children_.push_back(child);
        return child;
    }

    // Runs tonilo to its end; returns its exit status (-1 when it did not end in time).
    int RunToEnd(const std::vector<std::string>& arguments, std::string* output = nullptr,
                 const std::string& workingFolder = "") {
        pid_t child = Start(arguments, workingFolder);
        int status = WaitForExit(child);
        if (output)
            *output = ReadWholeFile(scratch_ /
                                    ("tonilo-" + std::to_string(children_.size() - 1) + ".log"));
        return status;
    }

    // The exit status, or -1 when the process did not end within the time.
    static int WaitForExit(pid_t child, std::chrono::seconds limit = kGenerous) {
        auto deadline = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            pid_t ended = ::waitpid(child, &status, WNOHANG);
            if (ended == child)
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
        return -1;
    }

    static bool Running(pid_t child) {
        int status = 0;
        return ::waitpid(child, &status, WNOHANG) == 0;
    }

    ToolRun Tool(const std::string& arguments) {
        return RunToolIn(scratch_.Path(), arguments, folder_ + "/tonilo-tool");
    }
    const std::string& ProgramFolder() const { return folder_; }

    // The running instance's status; empty when none answers.
    Status AskStatus() {
        ToolRun run = Tool("status");
        Status status;
        if (run.exitCode != 0)
            return status;
        std::istringstream lines(run.output);
        std::string line;
        while (std::getline(lines, line)) {
            size_t colon = line.find(": ");
            if (colon != std::string::npos)
                status[line.substr(0, colon)] = line.substr(colon + 2);
            else if (!line.empty() && line.back() == ':')
                status[line.substr(0, line.size() - 1)] = "";
        }
        return status;
    }

    // Asks until the condition holds; the last status seen otherwise.
    bool WaitForStatus(const std::function<bool(const Status&)>& condition,
                       Status* last = nullptr) {
        auto deadline = std::chrono::steady_clock::now() + kGenerous;
        Status status;
        while (std::chrono::steady_clock::now() < deadline) {
            status = AskStatus();
            if (!status.empty() && condition(status)) {
                if (last)
                    *last = status;
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        if (last)
            *last = status;
        return false;
    }

    bool WaitForMode(const std::string& mode, const std::string& file = "") {
        return WaitForStatus([&](const Status& status) {
            return status.at("mode") == mode && (file.empty() || status.at("file") == file);
        });
    }

    // The duration tonilo-tool info finds in a file, -1 when it cannot read it.
    long DurationOf(const std::string& path) {
        ToolRun run = Tool("info " + Quoted(path));
        size_t at = run.output.find("duration_ms: ");
        return run.exitCode == 0 && at != std::string::npos
                   ? std::strtol(run.output.c_str() + at + 13, nullptr, 10)
                   : -1;
    }

    std::string InfoOf(const std::string& path) { return Tool("info " + Quoted(path)).output; }

private:
    ScratchFolder scratch_;
    std::string folder_;
    std::vector<pid_t> children_;
};

inline std::string StatusText(const Status& status) {
    std::string text;
    for (const auto& entry : status)
        text += entry.first + "=" + entry.second + " ";
    return text;
}

} // namespace tonilo::test
