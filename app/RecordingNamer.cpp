#include "app/RecordingNamer.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>

#include "platform/ErrorLog.h"
#include "platform/PathParts.h"
#include "platform/ProgramPaths.h"

namespace tonilo {
namespace {

constexpr int32_t kCannotCreateDirectory = 13000;
constexpr int32_t kForbiddenCharacters = 13052;
constexpr int32_t kForbiddenCharactersBackslashAllowed = 30190;

// The setting's factory value names the platform's documents folder.
constexpr const char* kDocumentsAlias = "\\My Documents";

std::tm LocalNow() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

bool Exists(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0;
}

bool IsDirectory(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISDIR(status.st_mode);
}

std::string Join(const std::string& base, const std::string& name) {
    return base == "/" ? "/" + name : base + "/" + name;
}

std::string WithoutTrailingSlashes(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string TwoDigits(int value) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

struct CallerPieces {
    std::string first, second, rest;
};

CallerPieces SplitCallerText(const std::optional<std::string>& callerText) {
    CallerPieces pieces;
    if (!callerText)
        return pieces;
    std::string cleaned = *callerText;
    for (char& c : cleaned)
        c = IsForbiddenNameCharacter(c) ? ' ' : c;
    size_t first = cleaned.find(';');
    pieces.first = cleaned.substr(0, first);
    if (first == std::string::npos)
        return pieces;
    size_t second = cleaned.find(';', first + 1);
    pieces.second = cleaned.substr(first + 1, second == std::string::npos ? std::string::npos
                                                                          : second - first - 1);
    if (second != std::string::npos)
        pieces.rest = cleaned.substr(second + 1);
    return pieces;
}

std::string Expand(const std::string& text, const std::tm& time, const CallerPieces* pieces) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%' || i + 1 >= text.size()) {
            result.push_back(text[i]);
            continue;
        }
        char letter = text[++i];
        bool subfolder = pieces == nullptr;
        switch (letter) {
        case 'Y':
            result += std::to_string(time.tm_year + 1900);
            break;
        case 'M':
            result += TwoDigits(time.tm_mon + 1);
            break;
        case 'D':
            result += TwoDigits(time.tm_mday);
            break;
        case 'h':
            result += subfolder ? "" : TwoDigits(time.tm_hour);
            break;
        case 'm':
            result += subfolder ? "" : TwoDigits(time.tm_min);
            break;
        case 'F':
            result += subfolder ? "" : pieces->first;
            break;
        case 'I':
            result += subfolder ? "" : pieces->second;
            break;
        case 'L':
            result += subfolder ? "" : pieces->rest;
            break;
        default:
            result.push_back('%');
            result.push_back(letter);
        }
    }
    return result;
}

} // namespace

std::string ResolveRecordingDirectory(const std::string& directory, const std::string& documents) {
    size_t aliasLength = std::strlen(kDocumentsAlias);
    if (directory.size() < aliasLength ||
        strncasecmp(directory.c_str(), kDocumentsAlias, aliasLength) != 0)
        return directory;
    std::string rest = directory.substr(aliasLength);
    if (!rest.empty() && rest[0] != '\\' && rest[0] != '/')
        return directory; // "\My Documents2" is another folder
    for (char& c : rest)
        c = c == '\\' ? '/' : c;
    return WithoutTrailingSlashes(documents + rest);
}

bool IsForbiddenNameCharacter(char c) {
    return c != '\0' && std::strchr("\\/:*?\"<>|", c);
}

bool ValidateName(const std::string& text, bool allowBackslash) {
    for (char c : text) {
        if (IsForbiddenNameCharacter(c) && !(allowBackslash && c == '\\')) {
            TONILO_LOG_ERROR(allowBackslash ? kForbiddenCharactersBackslashAllowed
                                            : kForbiddenCharacters);
            return false;
        }
    }
    return true;
}

std::string ExpandNameTemplate(const std::string& text, const std::tm& time,
                               const std::optional<std::string>& callerText) {
    CallerPieces pieces = SplitCallerText(callerText);
    return Expand(text, time, &pieces);
}

std::string ExpandSubfolderTemplate(const std::string& text, const std::tm& time) {
    return Expand(text, time, nullptr);
}

RecordingNamer::RecordingNamer(Clock clock, FolderLookup documentsFolder)
    : clock_(clock ? std::move(clock) : Clock(LocalNow)),
      documentsFolder_(documentsFolder ? std::move(documentsFolder)
                                       : FolderLookup([] { return DocumentsFolder(); })) {}

RecordingNamer::~RecordingNamer() = default;

bool RecordingNamer::MakeRecordingPath(const NamingRequest& request) {
    if (!request.explicitPath &&
        (!request.directory || !request.nameTemplate || !request.extension))
        return false;
    Reset();

    if (request.explicitPath) {
        lastPath_ = *request.explicitPath;
        if (request.overwrite && !IsDirectory(lastPath_))
            ::unlink(lastPath_.c_str());
        CreateFolders();
        return true;
    }

    const std::string documents = WithoutTrailingSlashes(documentsFolder_());
    std::string directory = ResolveRecordingDirectory(*request.directory, documents);
    if (directory.empty() || directory[0] != '/') {
        TONILO_LOG_ERROR(kCannotCreateDirectory);
        return false;
    }

    const std::tm time = clock_();
    const std::string name = ExpandNameTemplate(*request.nameTemplate, time, request.callerText);
    std::string subfolder;
    if (request.subfolderTemplate)
        subfolder = ExpandSubfolderTemplate(*request.subfolderTemplate, time);

    std::string base = WithoutTrailingSlashes(directory);
    if (!IsDirectory(base)) {
        std::error_code ignored;
        std::filesystem::create_directories(documents, ignored);
        base = documents;
    }
    if (!subfolder.empty())
        base = Join(base, subfolder);

    const std::string suffix = "." + *request.extension;
    std::string path = Join(base, name) + suffix;
    for (unsigned long number = 1; Exists(path); ++number) {
        char digits[32];
        std::snprintf(digits, sizeof digits, "%03lu", number);
        path = Join(base, name + digits) + suffix;
    }
    lastPath_ = path;
    CreateFolders();
    return true;
}

void RecordingNamer::CreateFolders() {
    if (FileNameStart(lastPath_) <= 1) { // a bare name, or one in the root
        createdRecord_.clear();
        return;
    }
    const std::string folder = FolderOf(lastPath_);
    createdRecord_ = folder;
    for (size_t separator = folder.find('/'); separator != std::string::npos;) {
        size_t next = folder.find('/', separator + 1);
        std::string prefix = folder.substr(0, next);
        if (next != separator + 1 && !Exists(prefix) && ::mkdir(prefix.c_str(), 0777) == 0)
            createdRecord_[separator] = '\0';
        separator = next;
    }
}

void RecordingNamer::Reset() {
    std::string path = createdRecord_;
    for (char& c : path)
        c = c == '\0' ? '/' : c;
    for (size_t i = createdRecord_.size(); i-- > 0;) {
        if (createdRecord_[i] != '\0')
            continue;
        if (::rmdir(path.c_str()) != 0)
            break;
        path.resize(i);
    }
    createdRecord_.clear();
    lastPath_.clear();
}

std::vector<std::string> RecordingNamer::CreatedFolders() const {
    std::vector<std::string> folders;
    std::string path = createdRecord_;
    for (char& c : path)
        c = c == '\0' ? '/' : c;
    for (size_t i = 0; i < createdRecord_.size(); ++i) {
        if (createdRecord_[i] == '\0')
            folders.push_back(path.substr(0, path.find('/', i + 1)));
    }
    return folders;
}

} // namespace tonilo
