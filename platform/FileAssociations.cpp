#include "platform/FileAssociations.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/AtomicFile.h"
#include "platform/PathParts.h"
#include "platform/RegistryKey.h"
#include "platform/TextCompare.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kBackupValue = "ZeltoPVBackup";
constexpr const char* kTypeBackupValue = "ZeltoTypeBackup";
constexpr const char* kContentTypeValue = "Content Type";
constexpr const char* kClassPrefix = "Zelto_";
// Class names are read into 64-character buffers: at most 63 characters.
constexpr size_t kClassCapacity = 64;

bool StartsWithClassPrefix(const std::string& text) {
    return text.size() >= 6 && EqualIgnoringCase(text.substr(0, 6), kClassPrefix);
}

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

std::string Upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// The class name "the default value" holds: our class, another program's class,
// or the desktop file id of the application the desktop opens the type with.
std::string DefaultValue(RegistryKey& key, const char* name) {
    std::string value;
    if (!key.ReadString(name, &value, kClassCapacity))
        value.clear();
    return value;
}

// One argument of a desktop file's Exec line: quoted when it holds any
// character the desktop's command-line rules reserve, with the quoting escapes,
// then the file format's own escape of the backslash; "%" is always doubled.
std::string DesktopExecArgument(const std::string& path) {
    bool quote = path.find_first_of(" \t\n\"'\\><~|&;$*?#()`") != std::string::npos;
    std::string argument = quote ? "\"" : "";
    for (char c : path) {
        if (c == '%')
            argument += "%%";
        else if (quote && (c == '"' || c == '`' || c == '$'))
            argument += std::string("\\") + c;
        else if (c == '\\')
            argument += quote ? "\\\\\\\\" : "\\\\";
        else
            argument += c;
    }
    return argument + (quote ? "\"" : "");
}

// Our desktop entry with its Exec lines starting the given executable.
std::string DesktopEntryFor(const std::string& modelPath, const std::string& executable) {
    std::ifstream model(modelPath);
    std::string text;
    bool any = false;
    for (std::string line; std::getline(model, line);) {
        any = true;
        if (line.rfind("Exec=tonilo", 0) == 0 && (line.size() == 11 || line[11] == ' '))
            line = "Exec=" + DesktopExecArgument(executable) + line.substr(11);
        text += line + "\n";
    }
    if (any)
        return text;
    return "[Desktop Entry]\nType=Application\nName=Tonilo\nExec=" +
           DesktopExecArgument(executable) +
           " %f\nTerminal=false\n"
           "Categories=AudioVideo;Audio;Recorder;Player;\n";
}

std::string ResolveBareProgram(const std::string& program) {
    const char* path = std::getenv("PATH");
    if (!path || program.empty() || program[0] == '/')
        return program;
    std::string folders = path;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t colon = folders.find(':', start);
        std::string folder = folders.substr(start, colon - start);
        if (!folder.empty()) {
            std::string candidate = folder + "/" + program;
            std::error_code error;
            if (fs::is_regular_file(candidate, error))
                return candidate;
        }
        if (colon == std::string::npos)
            break;
        start = colon + 1;
    }
    return program;
}

// A type name of our own needs an extension of plain letters, digits and the
// few punctuation marks MIME types allow.
bool CanNameType(const std::string& extension) {
    if (extension.empty())
        return false;
    for (char c : extension)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' || c == '-' ||
              c == '.' || c == '_'))
            return false;
    return true;
}

} // namespace

std::string AssociationExtension(const std::string& fileNameOrExtension) {
    std::string name = FileNameOf(fileNameOrExtension);
    size_t dot = name.rfind('.');
    std::string extension = dot == std::string::npos ? name : name.substr(dot + 1);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

std::string AssociationClassName(const std::string& extension) {
    return std::string(kClassPrefix) + extension + "file";
}

std::string AssociationOpenCommand(const std::string& executable) {
    if (executable.find(' ') != std::string::npos)
        return "\"" + executable + "\" %1";
    return executable + " %1";
}

bool FindOwnerProgram(const std::string& fileNameOrExtension, std::string* program,
                      bool* endsWithQuote) {
    const std::string extension = AssociationExtension(fileNameOrExtension);
    std::string className;
    if (extension.empty() ||
        !ReadStringAt(HKEY_CLASSES_ROOT, ("." + extension).c_str(), nullptr, &className) ||
        className.empty())
        return false;
    std::string command;
    if (!ReadStringAt(HKEY_CLASSES_ROOT, (className + "\\Shell\\Open\\Command").c_str(), nullptr,
                      &command) ||
        command.empty())
        return false;
    std::string found;
    if (command[0] == '"') {
        size_t close = command.find('"', 1);
        found = command.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    } else {
        found = command.substr(0, command.find(' '));
    }
    if (program)
        *program = ResolveBareProgram(found);
    if (endsWithQuote)
        *endsWithQuote = command.back() == '"';
    return true;
}

FileAssociations::FileAssociations(std::string executable, XdgFolders folders)
    : executable_(std::move(executable)), folders_(std::move(folders)) {}

std::string FileAssociations::MimeType(const std::string& extension) const {
    const std::string ext = AssociationExtension(extension);
    std::string type = MimeTypeForExtension(folders_, ext);
    if (type.empty() && CanNameType(ext))
        type = "audio/x-" + ext;
    return type;
}

AssociationOwner FileAssociations::Owner(const std::string& extension) const {
    const std::string application = DefaultApplication(folders_, MimeType(extension));
    if (application == kAssociationDesktopId)
        return AssociationOwner::Ours;
    if (!application.empty())
        return AssociationOwner::Other;
    std::string program;
    if (FindOwnerProgram(extension, &program) && !EqualIgnoringCase(program, executable_))
        return AssociationOwner::Other;
    return AssociationOwner::None;
}

bool FileAssociations::Associate(const std::string& extension, uint32_t iconId,
                                 const std::string& iconFile) {
    const std::string ext = AssociationExtension(extension);
    std::error_code error;
    if (ext.empty() || executable_.empty() || fs::is_directory(executable_, error))
        return false;
    if (fs::exists(executable_, error)) {
        if (access(executable_.c_str(), X_OK) != 0)
            return false;
    } else if (executable_[0] == '/') {
        return false;
    }
    if (!iconFile.empty() && !fs::exists(iconFile, error))
        return false;

    // Without a type the desktop could not be told; the registry alone opens nothing.
    const std::string type = MimeType(ext);
    if (type.empty())
        return false;
    const std::string className = AssociationClassName(ext);
    RegistryKey key(("." + ext).c_str(), HKEY_CLASSES_ROOT);
    if (key.Open(nullptr, true)) {
        // The desktop's current default application is the live owner; what the
        // registry says counts only when the desktop names none, or us.
        std::string previous = DefaultValue(key, nullptr);
        std::string live = DefaultApplication(folders_, type);
        if (!live.empty() && live != kAssociationDesktopId)
            previous = live.substr(0, kClassCapacity - 1);
        if (!EqualIgnoringCase(previous, className)) {
            key.WriteString(kBackupValue, previous);
            key.WriteString(nullptr, className);
            std::string contentType;
            if (key.ReadString(kContentTypeValue, &contentType, kClassCapacity)) {
                key.WriteString(kTypeBackupValue, contentType);
                key.DeleteValue(kContentTypeValue);
            }
        }
        key.Close();
    }

    RegistryKey classKey(className.c_str(), HKEY_CLASSES_ROOT);
    if (classKey.Open(nullptr, true))
        classKey.WriteString(nullptr, Upper(ext) + " File");
    const std::string iconPath = iconFile.empty() ? executable_ : iconFile;
    if (classKey.Open("DefaultIcon", true))
        classKey.WriteString(nullptr,
                             iconPath + ",-" + std::to_string(static_cast<int32_t>(iconId)));
    classKey.Open("Shell", true);
    classKey.Open("Shell\\Open", true);
    bool written = classKey.Open("Shell\\Open\\Command", true) &&
                   classKey.WriteString(nullptr, AssociationOpenCommand(executable_));
    classKey.Close();

    if (!InstallDesktopFile() || !SetUserDefaultApplication(folders_, type, kAssociationDesktopId))
        return false;
    // A type of our own means nothing to the desktop until it knows the glob.
    if (MimeTypeForExtension(folders_, ext).empty() &&
        !DeclareUserMimeType(folders_, "tonilo-" + ext, type, Upper(ext) + " File", ext))
        return false;
    return written;
}

bool FileAssociations::Restore(const std::string& extension) {
    const std::string ext = AssociationExtension(extension);
    if (ext.empty())
        return false;
    const std::string keyPath = "." + ext;
    bool ok = true;
    bool registryOurs = false;
    std::string backup;
    RegistryKey key(keyPath.c_str(), HKEY_CLASSES_ROOT);
    if (key.Open() && StartsWithClassPrefix(DefaultValue(key, nullptr))) {
        registryOurs = true;
        backup = DefaultValue(key, kBackupValue);
        if (!backup.empty()) {
            ok = key.WriteString(nullptr, backup) && ok;
            std::string contentType;
            if (key.ReadString(kTypeBackupValue, &contentType, kClassCapacity)) {
                ok = key.WriteString(kContentTypeValue, contentType) && ok;
                key.DeleteValue(kTypeBackupValue);
            }
        }
        key.DeleteValue(kBackupValue);
        key.Close();
        RegistryStore& store = RegistryStore::Instance();
        if (backup.empty())
            ok = store.DeleteKey(HKEY_CLASSES_ROOT, keyPath) && ok;
        if (!StartsWithClassPrefix(backup))
            store.DeleteKey(HKEY_CLASSES_ROOT, AssociationClassName(ext));
    }
    key.Close();

    const std::string type = MimeType(ext);
    if (type.empty() || UserDefaultApplication(folders_, type) != kAssociationDesktopId)
        return ok;
    if (!registryOurs && DefaultApplication(folders_, type) != kAssociationDesktopId)
        return ok; // the desktop gives the type to another program: not ours to change
    if (TypeStillNeeded(ext, type))
        return ok;
    if (registryOurs && EndsWith(backup, ".desktop") && backup != kAssociationDesktopId &&
        !FindDesktopFile(folders_, backup).empty())
        return SetUserDefaultApplication(folders_, type, backup) && ok;
    return RemoveUserDefaultApplication(folders_, type, kAssociationDesktopId) && ok;
}

bool FileAssociations::InstallDesktopFile() const {
    const std::string folder = folders_.dataHome + "/applications";
    const std::string path = folder + "/" + kAssociationDesktopId;
    const std::string entry =
        DesktopEntryFor(FolderPrefixOf(executable_) + kAssociationDesktopId, executable_);
    std::ifstream existing(path);
    std::string current((std::istreambuf_iterator<char>(existing)),
                        std::istreambuf_iterator<char>());
    if (current == entry)
        return true;
    std::error_code ignored;
    fs::create_directories(folder, ignored);
    return WriteFileAtomically(path, entry);
}

bool FileAssociations::TypeStillNeeded(const std::string& extension,
                                       const std::string& mimeType) const {
    for (const std::string& name : RegistryStore::Instance().SubKeys(HKEY_CLASSES_ROOT, "")) {
        if (name.size() < 2 || name[0] != '.' || EqualIgnoringCase(name, "." + extension))
            continue;
        std::string className;
        if (ReadStringAt(HKEY_CLASSES_ROOT, name.c_str(), nullptr, &className, kClassCapacity) &&
            StartsWithClassPrefix(className) && MimeType(name.substr(1)) == mimeType)
            return true;
    }
    return false;
}

} // namespace tonilo
