#include "platform/files/MailSender.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/ProcessLauncher.h"

namespace tonilo {

std::string FindMailProgram() {
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t colon = folders.find(':', start);
        if (colon == std::string::npos)
            colon = folders.size();
        std::string folder = folders.substr(start, colon - start);
        start = colon + 1;
        if (folder.empty() || folder[0] != '/')
            continue; // a relative PATH entry would depend on where we run
        std::string candidate = folder + "/xdg-email";
        struct stat info;
        if (::stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

std::vector<std::string> MailCommandLine(const std::string& program,
                                         const std::vector<std::string>& files) {
    std::vector<std::string> arguments{program};
    for (const std::string& file : files) {
        arguments.push_back("--attach");
        arguments.push_back(file);
    }
    return arguments;
}

bool SendByMail(const std::vector<std::string>& items) {
    std::vector<std::string> files;
    for (const std::string& item : items) {
        struct stat info;
        if (::stat(item.c_str(), &info) == 0 && S_ISREG(info.st_mode))
            files.push_back(item);
    }
    std::string program = FindMailProgram();
    if (program.empty() || files.empty())
        return false;
    return SpawnDetached(MailCommandLine(program, files));
}

} // namespace tonilo
