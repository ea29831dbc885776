#pragma once
// A stand-in for a program that something else starts: a shell script that
// appends its arguments, one line per start, to a log; and a wait for that log
// (or any condition) with a generous time-out instead of a fixed sleep.
#include <sys/stat.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace tonilo::test {

// Writes an executable script at `path` that logs "$*" to `log`.
inline void WriteLoggingProgram(const std::string& path, const std::string& log) {
    {
        std::ofstream script(path);
        script << "#!/bin/sh\nprintf '%s\\n' \"$*\" >> '" << log << "'\n";
    }
    ::chmod(path.c_str(), 0755);
}

inline std::vector<std::string> LogLines(const std::string& log) {
    std::ifstream in(log);
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

// Waits until the log holds at least `count` lines and returns them.
inline std::vector<std::string> WaitForLines(const std::string& log, size_t count) {
    WaitUntil([&] { return LogLines(log).size() >= count; });
    return LogLines(log);
}

} // namespace tonilo::test
