#pragma once
// Recordings made by sox and lengths read back by ffprobe, for the export
// tests: the files come from tools that are not the program's own codecs.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/ToolRunner.h"

namespace tonilo::test {

// A sine tone of the length; false when sox fails.
inline bool MakeToneWav(const std::string& path, double seconds, unsigned rate = 22050,
                        unsigned channels = 1) {
    const std::string command = "sox -n -r " + std::to_string(rate) + " -c " +
                                std::to_string(channels) + " -b 16 " + Quoted(path) + " synth " +
                                std::to_string(seconds) + " sine 440 vol 0.3";
    return std::system(command.c_str()) == 0;
}

// The container's duration as ffprobe reads it; negative when it cannot.
inline double ProbeSeconds(const std::string& path) {
    const std::string command =
        "ffprobe -v error -show_entries format=duration -of csv=p=0 " + Quoted(path);
    std::FILE* pipe = ::popen(command.c_str(), "r");
    if (pipe == nullptr)
        return -1;
    char line[128] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    const int status = ::pclose(pipe);
    if (!read || status != 0)
        return -1;
    return std::strtod(line, nullptr);
}

} // namespace tonilo::test
