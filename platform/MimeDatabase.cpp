#include "platform/MimeDatabase.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/AtomicFile.h"
#include "platform/PrivateFiles.h"
#include "platform/ProcessLauncher.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaultsGroup = "[Default Applications]";

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

std::string Trimmed(const std::string& text) {
    size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return std::string();
    size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator))
        parts.push_back(part);
    return parts;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string EnvironmentFolder(const char* name, const std::string& fallback) {
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : fallback;
}

std::vector<std::string> EnvironmentFolders(const char* name, const char* fallback) {
    const char* value = std::getenv(name);
    std::vector<std::string> folders;
    for (const std::string& folder : Split(value && *value ? value : fallback, ':'))
        if (!folder.empty() && folder[0] == '/')
            folders.push_back(folder);
    if (folders.empty())
        folders = Split(fallback, ':');
    return folders;
}

// "child parent" or "alias canonical" lines of every data folder's mime/NAME.
using TypePairs = std::vector<std::pair<std::string, std::string>>;

TypePairs ReadPairs(const XdgFolders& folders, const char* name) {
    TypePairs pairs;
    for (const std::string& folder : folders.AllDataDirs())
        for (const std::string& line : ReadLines(folder + "/mime/" + name)) {
            size_t blank = line.find(' ');
            if (blank != std::string::npos && line[0] != '#')
                pairs.emplace_back(line.substr(0, blank), Trimmed(line.substr(blank + 1)));
        }
    return pairs;
}

bool IsAncestor(const TypePairs& subclasses, const std::string& ancestor, const std::string& type,
                int depth = 0) {
    if (depth > 16) // a cycle in a damaged file
        return false;
    for (const auto& [child, parent] : subclasses)
        if (child == type &&
            (parent == ancestor || IsAncestor(subclasses, ancestor, parent, depth + 1)))
            return true;
    return false;
}

// The mimeapps.list files in the order the desktop consults them.
std::vector<std::string> MimeAppsChain(const XdgFolders& folders) {
    std::vector<std::string> bases{folders.configHome};
    bases.insert(bases.end(), folders.configDirs.begin(), folders.configDirs.end());
    for (const std::string& data : folders.AllDataDirs())
        bases.push_back(data + "/applications");
    std::vector<std::string> files;
    for (const std::string& base : bases) {
        for (const std::string& desktop : folders.desktops)
            files.push_back(base + "/" + desktop + "-mimeapps.list");
        files.push_back(base + "/mimeapps.list");
    }
    return files;
}

// The entries of the [Default Applications] line for the type in one file: the
// canonical key first, an alias's line only when the canonical one is missing.
std::string Unaliased(const TypePairs& aliases, const std::string& mimeType) {
    for (const auto& [alias, canonical] : aliases)
        if (alias == mimeType)
            return canonical;
    return mimeType;
}

std::vector<std::string> DefaultEntries(const TypePairs& aliases, const std::string& path,
                                        const std::string& mimeType) {
    std::vector<std::string> exact, aliased;
    bool inGroup = false;
    for (const std::string& raw : ReadLines(path)) {
        std::string line = Trimmed(raw);
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] == '[') {
            inGroup = line == kDefaultsGroup;
            continue;
        }
        size_t equals = line.find('=');
        if (!inGroup || equals == std::string::npos)
            continue;
        std::string key = Trimmed(line.substr(0, equals));
        std::vector<std::string>* target = nullptr;
        if (key == mimeType)
            target = &exact;
        else if (aliased.empty() && Unaliased(aliases, key) == mimeType)
            target = &aliased;
        if (!target || !target->empty())
            continue;
        for (const std::string& entry : Split(line.substr(equals + 1), ';'))
            if (!Trimmed(entry).empty())
                target->push_back(Trimmed(entry));
    }
    return exact.empty() ? aliased : exact;
}

// Rewrites the type's line of the user's [Default Applications] group; `change`
// gets the current entries and leaves the new ones (none: the line goes).
template <typename Change>
bool EditUserDefaults(const XdgFolders& folders, const std::string& mimeType, Change change) {
    const std::string path = folders.UserMimeAppsList();
    std::vector<std::string> lines = ReadLines(path);
    size_t groupEnd = std::string::npos; // where a new line for the type goes
    size_t found = std::string::npos;
    std::vector<std::string> entries;
    bool inGroup = false;
    for (size_t index = 0; index < lines.size(); ++index) {
        std::string line = Trimmed(lines[index]);
        if (!line.empty() && line[0] == '[') {
            inGroup = line == kDefaultsGroup;
            if (inGroup)
                groupEnd = index + 1;
            continue;
        }
        if (!inGroup)
            continue;
        if (!line.empty() && line[0] != '#')
            groupEnd = index + 1;
        size_t equals = line.find('=');
        if (found == std::string::npos && equals != std::string::npos &&
            Trimmed(line.substr(0, equals)) == mimeType) {
            found = index;
            for (const std::string& entry : Split(line.substr(equals + 1), ';'))
                if (!Trimmed(entry).empty())
                    entries.push_back(Trimmed(entry));
        }
    }
    const std::vector<std::string> before = entries;
    change(&entries);
    if (entries == before)
        return true;
    std::string value;
    for (const std::string& entry : entries)
        value += entry + ";";
    if (found != std::string::npos) {
        if (entries.empty())
            lines.erase(lines.begin() + static_cast<long>(found));
        else
            lines[found] = mimeType + "=" + value;
    } else if (groupEnd != std::string::npos) {
        lines.insert(lines.begin() + static_cast<long>(groupEnd), mimeType + "=" + value);
    } else {
        if (!lines.empty() && !Trimmed(lines.back()).empty())
            lines.push_back("");
        lines.push_back(kDefaultsGroup);
        lines.push_back(mimeType + "=" + value);
    }
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    std::error_code ignored;
    fs::create_directories(folders.configHome, ignored);
    return WriteFileAtomically(path, text);
}

// Every file an id may name: each dash may stand for a sub-folder.
void DesktopFileCandidates(const std::string& id, size_t from, std::vector<std::string>* out) {
    size_t dash = id.find('-', from);
    if (dash == std::string::npos || out->size() > 64) {
        out->push_back(id);
        return;
    }
    DesktopFileCandidates(id, dash + 1, out);
    std::string asFolder = id;
    asFolder[dash] = '/';
    DesktopFileCandidates(asFolder, dash + 1, out);
}

std::string XmlEscaped(const std::string& text) {
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&':
            escaped += "&amp;";
            break;
        case '<':
            escaped += "&lt;";
            break;
        case '>':
            escaped += "&gt;";
            break;
        case '"':
            escaped += "&quot;";
            break;
        default:
            escaped += c;
        }
    }
    return escaped;
}

} // namespace

XdgFolders XdgFolders::FromEnvironment() {
    XdgFolders folders;
    const std::string home = HomeFolderPath();
    folders.configHome = EnvironmentFolder("XDG_CONFIG_HOME", home + "/.config");
    folders.configDirs = EnvironmentFolders("XDG_CONFIG_DIRS", "/etc/xdg");
    folders.dataHome = EnvironmentFolder("XDG_DATA_HOME", home + "/.local/share");
    folders.dataDirs = EnvironmentFolders("XDG_DATA_DIRS", "/usr/local/share:/usr/share");
    if (const char* desktops = std::getenv("XDG_CURRENT_DESKTOP"))
        for (const std::string& desktop : Split(desktops, ':'))
            if (!desktop.empty())
                folders.desktops.push_back(Lower(desktop));
    return folders;
}

std::vector<std::string> XdgFolders::AllDataDirs() const {
    std::vector<std::string> all{dataHome};
    all.insert(all.end(), dataDirs.begin(), dataDirs.end());
    return all;
}

std::string XdgFolders::UserMimeAppsList() const {
    return configHome + "/mimeapps.list";
}

std::string MimeTypeForExtension(const XdgFolders& folders, const std::string& extension) {
    if (extension.empty())
        return std::string();
    const std::string wanted = "*." + Lower(extension);
    struct Candidate {
        int weight;
        std::string type;
    };
    std::vector<Candidate> candidates;
    for (const std::string& folder : folders.AllDataDirs()) {
        for (const std::string& line : ReadLines(folder + "/mime/globs2")) {
            if (line.empty() || line[0] == '#')
                continue;
            std::vector<std::string> fields = Split(line, ':');
            if (fields.size() < 3)
                continue;
            bool caseSensitive = fields.size() > 3 && fields[3].find("cs") != std::string::npos;
            if (caseSensitive ? fields[2] != "*." + extension : Lower(fields[2]) != wanted)
                continue;
            candidates.push_back({std::atoi(fields[0].c_str()), fields[1]});
        }
    }
    int best = -1;
    for (const Candidate& candidate : candidates)
        best = std::max(best, candidate.weight);
    std::vector<std::string> tied;
    for (const Candidate& candidate : candidates)
        if (candidate.weight == best)
            tied.push_back(candidate.type);
    if (tied.size() > 1) {
        auto subclasses = ReadPairs(folders, "subclasses");
        for (const std::string& type : tied) {
            bool general = false;
            for (const std::string& other : tied)
                general = general || (other != type && IsAncestor(subclasses, type, other));
            if (!general)
                return type;
        }
    }
    return tied.empty() ? std::string() : tied.front();
}

std::string UnaliasMimeType(const XdgFolders& folders, const std::string& mimeType) {
    return Unaliased(ReadPairs(folders, "aliases"), mimeType);
}

std::string DefaultApplication(const XdgFolders& folders, const std::string& mimeType) {
    if (mimeType.empty())
        return std::string();
    const TypePairs aliases = ReadPairs(folders, "aliases");
    for (const std::string& file : MimeAppsChain(folders))
        for (const std::string& id : DefaultEntries(aliases, file, mimeType))
            if (!FindDesktopFile(folders, id).empty())
                return id;
    return std::string();
}

std::string UserDefaultApplication(const XdgFolders& folders, const std::string& mimeType) {
    std::vector<std::string> entries =
        DefaultEntries(ReadPairs(folders, "aliases"), folders.UserMimeAppsList(), mimeType);
    return entries.empty() ? std::string() : entries.front();
}

bool SetUserDefaultApplication(const XdgFolders& folders, const std::string& mimeType,
                               const std::string& desktopId) {
    if (mimeType.empty() || desktopId.empty())
        return false;
    return EditUserDefaults(folders, mimeType,
                            [&](std::vector<std::string>* entries) { *entries = {desktopId}; });
}

bool RemoveUserDefaultApplication(const XdgFolders& folders, const std::string& mimeType,
                                  const std::string& desktopId) {
    if (mimeType.empty())
        return true;
    return EditUserDefaults(folders, mimeType, [&](std::vector<std::string>* entries) {
        std::vector<std::string> kept;
        for (const std::string& entry : *entries)
            if (entry != desktopId)
                kept.push_back(entry);
        *entries = kept;
    });
}

std::string FindDesktopFile(const XdgFolders& folders, const std::string& desktopId) {
    if (desktopId.empty() || desktopId.find('/') != std::string::npos)
        return std::string();
    std::vector<std::string> candidates;
    DesktopFileCandidates(desktopId, 0, &candidates);
    for (const std::string& folder : folders.AllDataDirs())
        for (const std::string& candidate : candidates) {
            std::string path = folder + "/applications/" + candidate;
            std::error_code error;
            if (fs::is_regular_file(path, error))
                return path;
        }
    return std::string();
}

bool DeclareUserMimeType(const XdgFolders& folders, const std::string& packageName,
                         const std::string& mimeType, const std::string& comment,
                         const std::string& extension) {
    const std::string mimeFolder = folders.dataHome + "/mime";
    const std::string packages = mimeFolder + "/packages";
    std::error_code ignored;
    fs::create_directories(packages, ignored);
    const std::string xml =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
        "  <mime-type type=\"" +
        XmlEscaped(mimeType) +
        "\">\n"
        "    <comment>" +
        XmlEscaped(comment) +
        "</comment>\n"
        "    <glob pattern=\"*." +
        XmlEscaped(Lower(extension)) +
        "\"/>\n"
        "  </mime-type>\n"
        "</mime-info>\n";
    const std::string path = packages + "/" + packageName + ".xml";
    std::ifstream existing(path);
    std::stringstream current;
    current << existing.rdbuf();
    bool globsKnown = MimeTypeForExtension(folders, extension) == mimeType;
    if (current.str() == xml && globsKnown)
        return true;
    if (current.str() != xml && !WriteFileAtomically(path, xml))
        return false;
    return RunAndWait({"update-mime-database", mimeFolder}) == 0;
}

} // namespace tonilo
