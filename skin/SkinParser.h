#pragma once
// The skin file parser: an LALR(1) parse of the skin grammar written by hand. It
// keeps the count of states a table-driven parser would hold on its stack, so the
// stack limit (200 entries, doubling up to 10000) and the places where a syntax
// error is caught behave exactly as in a generated parser with these error rules:
//   skin:    error                              -> fails
//   element: '<' NAME attrs '>' elements error  -> "</%s> missing!"
//   attrs:   error                              -> "Unknown attribute type!"
//   assignment: NAME '=' error                  -> "Check right side of an assignment!"
// Every syntax error first records "parse error"; messages are recorded as
// "Line %d: %s" and the last one recorded is the one kept.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/SkinNode.h"
#include "skin/SkinScanner.h"
#include "skin/SkinSource.h"

namespace tonilo {

class SkinParser {
public:
    static constexpr int kInitialStackDepth = 200;
    static constexpr int kMaxStackDepth = 10000;
    // Recorded messages keep at most this many characters.
    static constexpr size_t kMaxMessageLength = 259;

    explicit SkinParser(SkinSource& source);
    SkinParser(const SkinParser&) = delete;
    SkinParser& operator=(const SkinParser&) = delete;

    // The root (without a name) holding the top-level elements, or null when the
    // parse failed; the partial tree is then already gone.
    std::unique_ptr<SkinNode> Parse();
    // "Line %d: %s" of the last message recorded; empty after a successful parse.
    const std::string& Message() const { return message_; }

private:
    // What a parsing step left behind: done, a syntax error no enclosing state has
    // caught yet, or a parse that has stopped for good.
    enum class Step { Ok, SyntaxError, Stopped };

    struct OpenElement {
        std::unique_ptr<SkinNode> node;
        int depth; // stack depth of the enclosing element list
    };

    SkinToken Lookahead();
    bool Push();
    Step Shift();
    Step Expect(SkinToken token);
    Step SyntaxError();
    // Error recovery: back to the state at `depth`, shift the error token, and run
    // the error rule, which records `message` (when given) and stops.
    Step Recover(int depth, const std::string* message);
    void Record(const std::string& message);

    Step ParseStartTag(int depth, std::unique_ptr<SkinNode>* node, bool* closed);
    Step ParseEndTag();
    Step ParsePosition(int tagDepth, SkinAttribute* position);
    Step ParseValue(SkinAttribute* attribute);

    SkinScanner scanner_;
    SkinToken token_ = SkinToken::End;
    SkinTokenValue value_;
    bool haveToken_ = false;
    int depth_ = 0;
    std::string message_;
};

} // namespace tonilo
