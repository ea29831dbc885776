#pragma once
// Helpers shared by the stream tests: scratch files and patterned bytes.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace tonilo::testing {

// Bytes whose value depends on their offset, so a read from the wrong place shows.
inline std::vector<uint8_t> PatternBytes(size_t count, uint32_t seed = 7) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i)
        bytes[i] = static_cast<uint8_t>((i * 131u + (i >> 8) * 17u + seed) & 0xFF);
    return bytes;
}

// A file in a fresh scratch folder, removed with the object.
class ScratchFile {
public:
    explicit ScratchFile(const std::string& name = "stream.bin") {
        char folder[] = "/tmp/tonilo-streams-XXXXXX";
        if (::mkdtemp(folder) != nullptr)
            folder_ = folder;
        path_ = folder_ + "/" + name;
    }
    ~ScratchFile() {
        std::remove(path_.c_str());
        ::rmdir(folder_.c_str());
    }
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;

    const std::string& Path() const { return path_; }
    const char* c_str() const { return path_.c_str(); }

    void WriteAll(const std::vector<uint8_t>& bytes) const {
        std::ofstream out(path_, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
    }
    std::vector<uint8_t> ReadAll() const {
        std::ifstream in(path_, std::ios::binary);
        return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::string folder_;
    std::string path_;
};

} // namespace tonilo::testing
