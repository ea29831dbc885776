#include "platform/ProgramPaths.h"

#include <unistd.h>

#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>

namespace tonilo {
namespace {

std::mutex& PathMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string& ProgramFolderOverride() {
    static std::string folder;
    return folder;
}

std::string HomeFolder() {
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/tmp";
}

// Reads what xdg-user-dir prints, when it is installed.
std::string AskXdgUserDir(const char* which) {
    std::string command = std::string("xdg-user-dir ") + which + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return std::string();
    std::array<char, 4096> buffer{};
    std::string output;
    while (fgets(buffer.data(), buffer.size(), pipe))
        output += buffer.data();
    pclose(pipe);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    // xdg-user-dir answers the home folder itself when nothing is configured.
    if (output.empty() || output == HomeFolder())
        return std::string();
    return output;
}

} // namespace

std::string ExecutablePath() {
    std::error_code error;
    auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

std::string ProgramFolder() {
    {
        std::lock_guard<std::mutex> guard(PathMutex());
        if (!ProgramFolderOverride().empty())
            return ProgramFolderOverride();
    }
    return std::filesystem::path(ExecutablePath()).parent_path().string();
}

void SetProgramFolder(const std::string& folder) {
    std::lock_guard<std::mutex> guard(PathMutex());
    ProgramFolderOverride() = folder;
}

std::string ProgramFolderName() {
    return std::filesystem::path(ProgramFolder()).filename().string();
}

std::string CodecsFolder() {
    return ProgramFolder() + "/Codecs";
}

std::string DataFolder() {
    std::string program = ProgramFolder();
    if (!program.empty() && access(program.c_str(), W_OK) == 0)
        return program;
    std::string base;
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && *xdg)
        base = xdg;
    else
        base = HomeFolder() + "/.local/share";
    std::string folder = base + "/tonilo";
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    return folder;
}

std::string ConfigHomeFolder() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        return xdg;
    return HomeFolder() + "/.config";
}

std::string DocumentsFolder() {
    std::string documents = AskXdgUserDir("DOCUMENTS");
    return documents.empty() ? HomeFolder() + "/Documents" : documents;
}

} // namespace tonilo
