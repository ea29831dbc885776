// tonilo-tool skin: lets skin authors check their files and see how they parse.
//   skin check FILE...   one line a file: "ok NAME WIDTHxHEIGHT" or the error
//   skin tree FILE       the parse tree, one element a line
//   skin render, skin list: see SkinPicture.h
#include <cstdio>
#include <string>

#include "platform/ErrorLog.h"
#include "skin/SkinDocument.h"
#include "skin/SkinInfoReader.h"
#include "tools/ToolCommand.h"
#include "tools/commands/SkinPicture.h"

namespace tonilo::tool {
namespace {

constexpr const char* kUsage = "skin check FILE... | skin tree FILE";

// The text a user reads for the newest failure in the error log: the message of a
// file that cannot be opened, the "Line N: ..." text of a syntax error, the info
// section's own message. Clears the log.
std::string TakeFailureText() {
    ErrorLog& log = GetErrorLog();
    std::string text = "Internal error!";
    if (uint32_t count = log.Count()) {
        ErrorLogEntry entry = log.Entry(count);
        if (entry.code == kCannotOpenSkinFile || entry.text.empty())
            text = ErrorLog::MessageForCode(entry.code);
        else
            text = entry.text;
    }
    log.Clear();
    return text;
}

// C escapes for what cannot stand as it is; `quoted` also escapes the backslash, the
// double quote and bytes above 126, as inside a skin string.
std::string Escape(const std::string& text, bool quoted) {
    std::string out;
    for (char c : text) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (quoted && (c == '\\' || c == '"')) {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (byte < 32 || byte == 127 || (quoted && byte > 126)) {
            char octal[8];
            std::snprintf(octal, sizeof octal, "\\%03o", byte);
            out += octal;
        } else {
            out += c;
        }
    }
    return out;
}

std::string NumberList(const std::vector<int32_t>& list) {
    std::string out = "[";
    for (size_t i = 0; i < list.size(); ++i)
        out += (i ? "," : "") + std::to_string(list[i]);
    return out + "]";
}

std::string AttributeText(const SkinAttribute& attribute) {
    std::string name = attribute.name ? *attribute.name : std::string();
    switch (attribute.kind) {
    case kSkinNumber:
        return name + "=" + std::to_string(attribute.number);
    case kSkinString:
        return attribute.text ? name + "=\"" + Escape(*attribute.text, true) + "\"" : name;
    case kSkinList:
        return (attribute.name ? name + "=" : std::string()) + NumberList(attribute.list);
    }
    return name;
}

void PrintNode(const SkinNode& node, size_t depth) {
    std::string line(depth * 2, ' ');
    line += node.GetName();
    for (size_t i = 0; i < node.GetAttributeCount(); ++i)
        line += " " + AttributeText(*node.AttributeAt(i));
    std::printf("%s\n", line.c_str());
    for (size_t i = 0; i < node.GetChildCount(); ++i)
        PrintNode(*node.GetChild(i), depth + 1);
}

int Check(const Arguments& files) {
    SkinInfoReader reader;
    bool allUsable = true;
    for (const std::string& file : files) {
        GetErrorLog().Clear();
        SkinDocument document;
        std::unique_ptr<SkinInfo> info;
        if (document.Load(file) && reader.ReadInfo(document, &info)) {
            std::printf("ok %s %dx%d\n", Escape(info->name, false).c_str(), info->width,
                        info->height);
        } else {
            std::printf("%s\n", TakeFailureText().c_str());
            allUsable = false;
        }
    }
    return allUsable ? kExitOk : kExitFailure;
}

int Tree(const std::string& file) {
    GetErrorLog().Clear();
    SkinDocument document;
    if (!document.Load(file)) {
        std::printf("%s\n", TakeFailureText().c_str());
        return kExitFailure;
    }
    const SkinNode* root = document.GetRoot();
    for (size_t i = 0; i < root->GetChildCount(); ++i)
        PrintNode(*root->GetChild(i), 0);
    return kExitOk;
}

} // namespace

int RunSkinCommand(const ToolContext& context, const Arguments& arguments) {
    if (!arguments.empty() && arguments[0] == "render")
        return RenderSkin(context, Arguments(arguments.begin() + 1, arguments.end()));
    if (!arguments.empty() && arguments[0] == "list")
        return ListSkins(context, Arguments(arguments.begin() + 1, arguments.end()));
    if (arguments.size() >= 2 && arguments[0] == "check")
        return Check(Arguments(arguments.begin() + 1, arguments.end()));
    if (arguments.size() == 2 && arguments[0] == "tree")
        return Tree(arguments[1]);
    return UsageError(kUsage);
}

} // namespace tonilo::tool
