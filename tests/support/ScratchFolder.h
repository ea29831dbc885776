#pragma once
// The one scratch folder of the tests: a fresh folder under /tmp for one test,
// removed with everything in it afterwards (even after a test took away its
// permissions).
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace tonilo::test {

inline std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

inline void WriteWholeFile(const std::string& path, const void* bytes, size_t count) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(count));
}

inline void WriteWholeFile(const std::string& path, const std::string& bytes) {
    WriteWholeFile(path, bytes.data(), bytes.size());
}

inline void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    WriteWholeFile(path, bytes.data(), bytes.size());
}

class ScratchFolder {
public:
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tonilo-test.XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        path_ = ::mkdtemp(name.data()) ? name.data() : "";
    }
    ~ScratchFolder() {
        if (path_.empty())
            return;
        std::error_code ignored;
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    std::string operator/(const std::string& name) const { return Path(name); }
    // A sub-folder, made when missing; its path.
    std::string Folder(const std::string& name) const {
        std::error_code ignored;
        std::filesystem::create_directories(Path(name), ignored);
        return Path(name);
    }
    // Writes the file name in the folder; its path.
    std::string Write(const std::string& name, const std::string& content) const {
        WriteWholeFile(Path(name), content);
        return Path(name);
    }

private:
    std::string path_;
};

// Names in the folder, hidden ones included.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

} // namespace tonilo::test
