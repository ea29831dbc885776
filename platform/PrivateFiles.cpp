#include "platform/PrivateFiles.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace tonilo {
namespace {

// The password and group entries through the reentrant calls: any thread may
// ask while another reads the databases.
struct UserEntry {
    bool found = false;
    std::string name;
    gid_t group = 0;
    std::string home;
};

UserEntry CurrentUser() {
    UserEntry result;
    std::vector<char> buffer(16384);
    struct passwd entry {};
    struct passwd* found = nullptr;
    if (::getpwuid_r(::geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
        result.found = true;
        result.name = found->pw_name ? found->pw_name : "";
        result.group = found->pw_gid;
        result.home = found->pw_dir ? found->pw_dir : "";
    }
    return result;
}

bool IsOwnPrivateGroup(gid_t group) {
    const UserEntry user = CurrentUser();
    if (!user.found || user.group != group)
        return false;
    std::vector<char> buffer(65536);
    struct group entry {};
    struct group* found = nullptr;
    if (::getgrgid_r(group, &entry, buffer.data(), buffer.size(), &found) != 0 || !found ||
        user.name != found->gr_name)
        return false;
    for (char** member = found->gr_mem; member && *member; ++member) {
        if (user.name != *member)
            return false;
    }
    return true;
}

TrustProblem Judge(const struct stat& info, bool folder) {
    const uid_t me = ::geteuid();
    if (info.st_uid != me && !(folder && info.st_uid == 0))
        return TrustProblem::OtherOwner;
    if ((info.st_mode & S_IWOTH) != 0)
        return TrustProblem::WritableByOthers;
    if ((info.st_mode & S_IWGRP) != 0 && !IsOwnPrivateGroup(info.st_gid))
        return TrustProblem::WritableByOthers;
    return TrustProblem::None;
}

std::filesystem::path Absolute(const std::string& path) {
    std::error_code ignored;
    std::filesystem::path absolute = std::filesystem::absolute(path, ignored);
    return absolute.lexically_normal();
}

// True when `inner` lies strictly below `outer` (both normal and absolute).
bool IsBelow(const std::filesystem::path& inner, const std::filesystem::path& outer) {
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty())
            continue; // a trailing separator
        if (i == inner.end() || *i != *o)
            return false;
    }
    return i != inner.end();
}

} // namespace

mode_t CurrentUmask() {
    if (std::FILE* status = std::fopen("/proc/self/status", "re")) {
        char line[256];
        while (std::fgets(line, sizeof line, status)) {
            unsigned mask = 0;
            if (std::sscanf(line, "Umask: %o", &mask) == 1) {
                std::fclose(status);
                return static_cast<mode_t>(mask & 0777);
            }
        }
        std::fclose(status);
    }
    // No /proc: the classic round trip, racing only with other umask callers.
    mode_t mask = ::umask(077);
    ::umask(mask);
    return mask;
}

mode_t UsualFileMode() {
    return 0666 & ~CurrentUmask();
}

bool CreateFolders(const std::string& folder, mode_t mode) {
    if (folder.empty())
        return false;
    std::filesystem::path path = Absolute(folder);
    std::filesystem::path prefix;
    for (const auto& part : path) {
        prefix /= part;
        if (part.empty() || part == "/")
            continue;
        if (::mkdir(prefix.c_str(), mode) == 0) {
            ::chmod(prefix.c_str(), mode); // the umask took its share
        } else if (errno != EEXIST) {
            return false;
        }
    }
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool CreateFileWithMode(const std::string& path, mode_t mode) {
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (descriptor >= 0) {
        bool ok = ::fchmod(descriptor, mode) == 0;
        ::close(descriptor);
        return ok;
    }
    return errno == EEXIST;
}

PathTrust CheckTrustedPath(const std::vector<std::string>& files, const std::string& home) {
    PathTrust result;
    for (const std::string& file : files) {
        struct stat info {};
        if (::stat(file.c_str(), &info) != 0)
            continue;
        if (TrustProblem problem = Judge(info, false); problem != TrustProblem::None)
            return PathTrust{problem, file, false};
    }
    if (files.empty() || home.empty())
        return result;
    const std::filesystem::path homePath = Absolute(home);
    if (homePath == homePath.root_path())
        return result; // a home of "/" (services, containers) puts nothing below it
    std::filesystem::path folder = Absolute(files.front()).parent_path();
    // Outermost first, so the message names the folder the fix should start at.
    std::vector<std::filesystem::path> folders;
    for (; IsBelow(folder, homePath); folder = folder.parent_path())
        folders.insert(folders.begin(), folder);
    for (const auto& each : folders) {
        struct stat info {};
        if (::stat(each.c_str(), &info) != 0)
            continue;
        if (TrustProblem problem = Judge(info, true); problem != TrustProblem::None)
            return PathTrust{problem, each.string(), true};
    }
    return result;
}

std::string HomeFolderPath() {
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    return CurrentUser().home;
}

std::string UserName() {
    const UserEntry user = CurrentUser();
    return user.found && !user.name.empty() ? user.name : std::to_string(::geteuid());
}

} // namespace tonilo
