#include "skin/SkinScanner.h"

#include <climits>
#include <cstring>

namespace tonilo {
namespace {

constexpr int kEndOfInput = -1;
constexpr int kNothing = -2;

bool IsLower(int c) {
    return c >= 'a' && c <= 'z';
}
bool IsDigit(int c) {
    return c >= '0' && c <= '9';
}
bool IsOctal(int c) {
    return c >= '0' && c <= '7';
}

int HexValue(int c) {
    if (IsDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

void Append(std::string* text, char c) {
    if (text->size() < SkinScanner::kMaxTokenText)
        text->push_back(c);
}

} // namespace

SkinScanner::SkinScanner(SkinSource& source) : source_(source), rawPending_(kNothing) {}

int SkinScanner::ReadRaw() {
    if (position_ == size_) {
        if (sourceDone_)
            return kEndOfInput;
        size_ = source_.Read(buffer_, sizeof buffer_);
        position_ = 0;
        if (size_ == 0) {
            sourceDone_ = true;
            return kEndOfInput;
        }
    }
    return static_cast<unsigned char>(buffer_[position_++]);
}

int SkinScanner::ReadTextByte() {
    int c;
    if (rawPending_ != kNothing) {
        c = rawPending_;
        rawPending_ = kNothing;
    } else {
        c = ReadRaw();
    }
    if (c != '\r')
        return c;
    int next = ReadRaw();
    if (next == '\n')
        return '\n';
    rawPending_ = next;
    return c;
}

int SkinScanner::Peek(size_t offset) {
    while (lookaheadCount_ <= offset)
        lookahead_[lookaheadCount_++] = ReadTextByte();
    return lookahead_[offset];
}

void SkinScanner::Skip(size_t count) {
    if (count == 0)
        return;
    Peek(count - 1);
    for (size_t i = count; i < lookaheadCount_; ++i)
        lookahead_[i - count] = lookahead_[i];
    lookaheadCount_ -= count;
}

SkinToken SkinScanner::Next(SkinTokenValue* value) {
    while (!ended_) {
        int c = Peek(0);
        switch (c) {
        case ' ':
        case '\t':
            Skip(1);
            continue;
        case '\n':
            Skip(1);
            ++line_;
            continue;
        case '<':
            if (Peek(1) == '/') {
                Skip(2);
                return SkinToken::EndTagOpen;
            }
            Skip(1);
            return SkinToken::TagOpen;
        case '>':
            Skip(1);
            return SkinToken::TagClose;
        case '/':
            if (Peek(1) != '>')
                break;
            Skip(2);
            return SkinToken::EmptyTagClose;
        case '=':
            Skip(1);
            return SkinToken::Equals;
        case '[':
            Skip(1);
            return SkinToken::LeftBracket;
        case ']':
            Skip(1);
            return SkinToken::RightBracket;
        case ',':
            Skip(1);
            return SkinToken::Comma;
        case '"':
            Skip(1);
            return ScanString(value);
        case '-':
            if (!IsDigit(Peek(1)))
                break;
            return ScanNumber(value);
        default:
            if (IsLower(c))
                return ScanName(value);
            if (IsDigit(c))
                return ScanNumber(value);
            break;
        }
        // Anything else (upper case, underscore, a lone minus or slash, a stray
        // carriage return, other punctuation, the end) ends the input here.
        ended_ = true;
    }
    return SkinToken::End;
}

SkinToken SkinScanner::ScanName(SkinTokenValue* value) {
    value->text.clear();
    for (int c = Peek(0); IsLower(c) || IsDigit(c); c = Peek(0)) {
        Append(&value->text, static_cast<char>(c));
        Skip(1);
    }
    return SkinToken::Name;
}

SkinToken SkinScanner::ScanNumber(SkinTokenValue* value) {
    size_t start = Peek(0) == '-' ? 1 : 0;
    bool negative = start == 1;
    if (Peek(start) == '0' && Peek(start + 1) == 'x' && HexValue(Peek(start + 2)) >= 0) {
        // Hexadecimal keeps the low 32 bits, so 0xffffffff reads as -1.
        Skip(start + 2);
        uint32_t number = 0;
        for (int digit = HexValue(Peek(0)); digit >= 0; digit = HexValue(Peek(0))) {
            number = number * 16 + static_cast<uint32_t>(digit);
            Skip(1);
        }
        if (negative)
            number = 0u - number;
        value->number = static_cast<int32_t>(number);
        return SkinToken::Number;
    }
    // Decimal saturates at the 32-bit limits.
    Skip(start);
    int64_t magnitude = 0;
    for (int c = Peek(0); IsDigit(c); c = Peek(0)) {
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > int64_t{INT_MAX} + 1)
            magnitude = int64_t{INT_MAX} + 1;
        Skip(1);
    }
    int64_t number = negative ? -magnitude : magnitude;
    if (number > INT_MAX)
        number = INT_MAX;
    value->number = static_cast<int32_t>(number);
    return SkinToken::Number;
}

SkinToken SkinScanner::ScanString(SkinTokenValue* value) {
    std::string& text = value->text;
    text.clear();
    for (;;) {
        int c = Peek(0);
        if (c == kEndOfInput) {
            // An unterminated string ends the input.
            ended_ = true;
            return SkinToken::End;
        }
        Skip(1);
        if (c == '"')
            break;
        if (c == '\n')
            continue; // a line break inside a string is dropped and not counted
        if (c == '\\')
            ScanEscape(&text);
        else
            Append(&text, static_cast<char>(c));
    }
    // Values are C strings: a zero byte ends the text.
    size_t zero = text.find('\0');
    if (zero != std::string::npos)
        text.resize(zero);
    return SkinToken::String;
}

void SkinScanner::ScanEscape(std::string* text) {
    int c = Peek(0);
    if (c == kEndOfInput)
        return; // a backslash at the very end matches nothing and is dropped
    if (IsDigit(c)) {
        // The whole digit run is one match: one to three octal digits are a byte,
        // anything longer or holding 8 or 9 is dropped.
        size_t length = 0;
        bool octal = true;
        int byte = 0;
        for (int digit = Peek(0); IsDigit(digit); digit = Peek(0)) {
            octal = octal && IsOctal(digit);
            if (++length <= 3)
                byte = byte * 8 + (digit - '0');
            Skip(1);
        }
        if (octal && length <= 3 && byte <= 255)
            Append(text, static_cast<char>(byte));
        return;
    }
    Skip(1);
    switch (c) {
    case 'n':
        Append(text, '\n');
        break;
    case 't':
        Append(text, '\t');
        break;
    case 'r':
        Append(text, '\r');
        break;
    case 'b':
        Append(text, '\b');
        break;
    case 'f':
        Append(text, '\f');
        break;
    default:
        Append(text, static_cast<char>(c));
        break;
    }
}

} // namespace tonilo
