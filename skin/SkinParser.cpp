#include "skin/SkinParser.h"

namespace tonilo {
namespace {

// Stack depths, counted in parser states, of the places the grammar returns to.
// State 0 is at depth 1; the top-level element list at depth 2. An element whose
// enclosing element list sits at depth d puts '<' at d + 1, its name at d + 2,
// its attributes at d + 3, '>' at d + 4 and its own element list at d + 5.
constexpr int kStartDepth = 1;
constexpr int kTopListDepth = 2;
constexpr int kTagNameOffset = 2;
constexpr int kAttributesOffset = 3;
constexpr int kChildListOffset = 5;

const std::string kUnknownAttributeType = "Unknown attribute type!";
const std::string kCheckRightSide = "Check right side of an assignment!";

} // namespace

SkinParser::SkinParser(SkinSource& source) : scanner_(source) {}

SkinToken SkinParser::Lookahead() {
    if (!haveToken_) {
        token_ = scanner_.Next(&value_);
        haveToken_ = true;
    }
    return token_;
}

bool SkinParser::Push() {
    // The stack starts with kInitialStackDepth entries and doubles; it cannot grow
    // past kMaxStackDepth, and filling it completely ends the parse.
    if (++depth_ < kMaxStackDepth)
        return true;
    Record("parser stack overflow");
    return false;
}

SkinParser::Step SkinParser::Shift() {
    haveToken_ = false;
    return Push() ? Step::Ok : Step::Stopped;
}

SkinParser::Step SkinParser::Expect(SkinToken token) {
    if (Lookahead() != token)
        return SyntaxError();
    return Shift();
}

SkinParser::Step SkinParser::SyntaxError() {
    Record("parse error");
    return Step::SyntaxError;
}

SkinParser::Step SkinParser::Recover(int depth, const std::string* message) {
    depth_ = depth;
    if (Push() && message)
        Record(*message);
    return Step::Stopped;
}

void SkinParser::Record(const std::string& message) {
    message_ = "Line " + std::to_string(scanner_.Line()) + ": " + message;
    if (message_.size() > kMaxMessageLength)
        message_.resize(kMaxMessageLength);
}

std::unique_ptr<SkinNode> SkinParser::Parse() {
    message_.clear();
    depth_ = 0;
    haveToken_ = false;
    Push();
    SkinToken token = Lookahead();
    if (token != SkinToken::TagOpen && token != SkinToken::End) {
        SyntaxError();
        Recover(kStartDepth, nullptr);
        return nullptr;
    }
    Push();

    auto root = std::make_unique<SkinNode>();
    // Elements whose start tag has been read and whose end tag has not. They join
    // their parent only when complete, so a failure drops each of them once.
    std::vector<OpenElement> open;
    for (;;) {
        int listDepth = open.empty() ? kTopListDepth : open.back().depth + kChildListOffset;
        Step step;
        token = Lookahead();
        if (token == SkinToken::TagOpen) {
            std::unique_ptr<SkinNode> node;
            bool closed = false;
            step = ParseStartTag(listDepth, &node, &closed);
            if (step == Step::Ok) {
                if (closed) {
                    depth_ = listDepth;
                    (open.empty() ? root.get() : open.back().node.get())->AddChild(std::move(node));
                } else {
                    open.push_back({std::move(node), listDepth});
                }
                continue;
            }
        } else if (open.empty()) {
            if (token == SkinToken::End)
                return root;
            step = SyntaxError();
        } else if (token == SkinToken::EndTagOpen) {
            // The name in the end tag need not match the start tag's.
            step = ParseEndTag();
            if (step == Step::Ok) {
                OpenElement element = std::move(open.back());
                open.pop_back();
                depth_ = element.depth;
                (open.empty() ? root.get() : open.back().node.get())
                    ->AddChild(std::move(element.node));
                continue;
            }
        } else {
            step = SyntaxError();
        }
        if (step == Step::SyntaxError) {
            if (open.empty()) {
                Recover(kStartDepth, nullptr);
            } else {
                std::string missing =
                    std::string("</") + open.back().node->GetName() + "> missing!";
                Recover(listDepth, &missing);
            }
        }
        return nullptr;
    }
}

SkinParser::Step SkinParser::ParseStartTag(int depth, std::unique_ptr<SkinNode>* node,
                                           bool* closed) {
    Step step = Shift(); // '<'
    if (step != Step::Ok)
        return step;
    if (Lookahead() != SkinToken::Name)
        return SyntaxError();
    auto element = std::make_unique<SkinNode>(value_.text);
    if ((step = Shift()) != Step::Ok)
        return step;
    const int tagDepth = depth + kTagNameOffset;

    std::optional<SkinAttribute> position;
    SkinToken token = Lookahead();
    if (token == SkinToken::LeftBracket) {
        SkinAttribute list;
        step = ParsePosition(tagDepth, &list);
        if (step == Step::SyntaxError)
            return Recover(tagDepth, &kUnknownAttributeType);
        if (step != Step::Ok)
            return step;
        position = std::move(list);
    } else if (token == SkinToken::Name || token == SkinToken::TagClose ||
               token == SkinToken::EmptyTagClose) {
        if (!Push()) // the empty attribute list
            return Step::Stopped;
    } else {
        SyntaxError();
        return Recover(tagDepth, &kUnknownAttributeType);
    }

    const int listDepth = depth_;
    while (Lookahead() == SkinToken::Name) {
        SkinAttribute attribute;
        attribute.name = value_.text;
        if ((step = Shift()) != Step::Ok)
            return step;
        if (Lookahead() == SkinToken::Equals) {
            if ((step = Shift()) != Step::Ok)
                return step;
            const int equalsDepth = depth_;
            step = ParseValue(&attribute);
            if (step == Step::SyntaxError)
                return Recover(equalsDepth, &kCheckRightSide);
            if (step != Step::Ok)
                return step;
        } else {
            attribute.kind = kSkinString; // a flag
        }
        depth_ = listDepth;
        element->AddAttribute(std::move(attribute));
    }
    if (position)
        element->AddAttribute(std::move(*position));
    depth_ = depth + kAttributesOffset;

    token = Lookahead();
    if (token == SkinToken::EmptyTagClose) {
        if ((step = Shift()) != Step::Ok)
            return step;
        *closed = true;
    } else if (token == SkinToken::TagClose) {
        if ((step = Shift()) != Step::Ok)
            return step;
        if (!Push()) // the element's own, still empty, element list
            return Step::Stopped;
        *closed = false;
    } else {
        SyntaxError();
        return Recover(tagDepth, &kUnknownAttributeType);
    }
    *node = std::move(element);
    return Step::Ok;
}

SkinParser::Step SkinParser::ParseEndTag() {
    Step step = Shift(); // '</'
    if (step == Step::Ok)
        step = Expect(SkinToken::Name);
    if (step == Step::Ok)
        step = Expect(SkinToken::TagClose);
    return step;
}

SkinParser::Step SkinParser::ParsePosition(int tagDepth, SkinAttribute* position) {
    position->kind = kSkinList;
    Step step = Shift(); // '['
    if (step != Step::Ok)
        return step;
    // Exactly two or four numbers.
    for (;;) {
        if (Lookahead() != SkinToken::Number)
            return SyntaxError();
        position->list.push_back(value_.number);
        if ((step = Shift()) != Step::Ok)
            return step;
        size_t count = position->list.size();
        SkinToken token = Lookahead();
        if (token == SkinToken::RightBracket && (count == 2 || count == 4))
            break;
        if (token != SkinToken::Comma || count == 4)
            return SyntaxError();
        if ((step = Shift()) != Step::Ok)
            return step;
    }
    if ((step = Shift()) != Step::Ok) // ']'
        return step;
    depth_ = tagDepth + 1;
    return Push() ? Step::Ok : Step::Stopped; // the empty attribute list after it
}

SkinParser::Step SkinParser::ParseValue(SkinAttribute* attribute) {
    const int numbersDepth = depth_ + 2;
    Step step;
    switch (Lookahead()) {
    case SkinToken::String:
        attribute->kind = kSkinString;
        attribute->text = value_.text;
        return Shift();
    case SkinToken::Number:
        attribute->kind = kSkinNumber;
        attribute->number = value_.number;
        return Shift();
    case SkinToken::LeftBracket:
        break;
    default:
        return SyntaxError();
    }
    attribute->kind = kSkinList;
    if ((step = Shift()) != Step::Ok) // '['
        return step;
    for (;;) {
        if (Lookahead() != SkinToken::Number)
            return SyntaxError();
        attribute->list.push_back(value_.number);
        if ((step = Shift()) != Step::Ok)
            return step;
        depth_ = numbersDepth;
        SkinToken token = Lookahead();
        if (token == SkinToken::RightBracket)
            return Shift();
        if (token != SkinToken::Comma)
            return SyntaxError();
        if ((step = Shift()) != Step::Ok)
            return step;
    }
}

} // namespace tonilo
