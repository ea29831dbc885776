#pragma once
// Helpers shared by the stream tests: a scratch file and patterned bytes.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/ScratchFolder.h"

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
    explicit ScratchFile(const std::string& name = "stream.bin") : path_(folder_.Path(name)) {}

    const std::string& Path() const { return path_; }
    const char* c_str() const { return path_.c_str(); }
    void WriteAll(const std::vector<uint8_t>& bytes) const { test::WriteWholeFile(path_, bytes); }
    std::vector<uint8_t> ReadAll() const { return test::ReadFileBytes(path_); }

private:
    test::ScratchFolder folder_;
    std::string path_;
};

} // namespace tonilo::testing
