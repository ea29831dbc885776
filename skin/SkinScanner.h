#pragma once
// The skin file scanner. Two states, normal and inside a string; the longest match
// wins. A character that starts no token ends the input. Line feeds are counted in
// the normal state only. The input is read in text mode: a carriage return right
// before a line feed is dropped.
#include <cstddef>
#include <cstdint>
#include <string>

#include "skin/SkinSource.h"

namespace tonilo {

enum class SkinToken {
    End,
    Name,          // [a-z][a-z0-9]*
    Number,        // -?[0-9]+ or -?0x[0-9a-fA-F]+
    String,        // "..." with escapes
    TagOpen,       // <
    EndTagOpen,    // </
    TagClose,      // >
    EmptyTagClose, // />
    Equals,
    LeftBracket,
    RightBracket,
    Comma,
};

struct SkinTokenValue {
    std::string text; // Name and String
    int32_t number = 0;
};

class SkinScanner {
public:
    // Names and string values keep at most this many bytes.
    static constexpr size_t kMaxTokenText = 255;

    explicit SkinScanner(SkinSource& source);
    SkinScanner(const SkinScanner&) = delete;
    SkinScanner& operator=(const SkinScanner&) = delete;

    // Once End has been returned, every later call returns End again.
    SkinToken Next(SkinTokenValue* value);
    // 1-based; line feeds seen so far in the normal state, plus one.
    int Line() const { return line_; }

private:
    static constexpr size_t kLookahead = 4;

    int ReadRaw();
    int ReadTextByte();
    int Peek(size_t offset);
    void Skip(size_t count);
    SkinToken ScanName(SkinTokenValue* value);
    SkinToken ScanNumber(SkinTokenValue* value);
    SkinToken ScanString(SkinTokenValue* value);
    void ScanEscape(std::string* text);

    SkinSource& source_;
    char buffer_[8192];
    size_t position_ = 0;
    size_t size_ = 0;
    bool sourceDone_ = false;
    int rawPending_;
    int lookahead_[kLookahead];
    size_t lookaheadCount_ = 0;
    int line_ = 1;
    bool ended_ = false;
};

} // namespace tonilo
