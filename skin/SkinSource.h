#pragma once
// Where the skin scanner reads bytes from: a file or text already in memory.
#include <cstddef>
#include <cstdio>
#include <string_view>

namespace tonilo {

class SkinSource {
public:
    virtual ~SkinSource() = default;
    // Up to capacity bytes; 0 at the end or on a read error.
    virtual size_t Read(char* buffer, size_t capacity) = 0;
};

class SkinMemorySource : public SkinSource {
public:
    explicit SkinMemorySource(std::string_view text) : text_(text) {}
    size_t Read(char* buffer, size_t capacity) override;

private:
    std::string_view text_;
};

// Reads an open file without taking ownership; remembers whether a read failed
// (a directory opens fine on Linux and only fails when read).
class SkinFileSource : public SkinSource {
public:
    explicit SkinFileSource(std::FILE* file) : file_(file) {}
    size_t Read(char* buffer, size_t capacity) override;
    bool Failed() const { return failed_; }

private:
    std::FILE* file_;
    bool failed_ = false;
};

} // namespace tonilo
