#include "skin/SkinDocument.h"

#include <cstdio>

#include "platform/ErrorLog.h"
#include "platform/PathParts.h"
#include "skin/SkinParser.h"
#include "skin/SkinSource.h"

namespace tonilo {
namespace {

// ASCII only, whatever the locale: skin names are 8-bit text.
bool EqualIgnoringCase(const std::string& text, const char* other) {
    size_t i = 0;
    for (; i < text.size() && other[i]; ++i) {
        unsigned char a = static_cast<unsigned char>(text[i]);
        unsigned char b = static_cast<unsigned char>(other[i]);
        if (a >= 'A' && a <= 'Z')
            a = static_cast<unsigned char>(a - 'A' + 'a');
        if (b >= 'A' && b <= 'Z')
            b = static_cast<unsigned char>(b - 'A' + 'a');
        if (a != b)
            return false;
    }
    return i == text.size() && !other[i];
}

} // namespace

SkinDocument::SkinDocument() = default;
SkinDocument::~SkinDocument() = default;

bool SkinDocument::Load(const std::string& path) {
    path_ = path;
    root_.reset();
    errorText_.clear();
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        TONILO_LOG_ERROR(kCannotOpenSkinFile, "%s", path.c_str());
        return false;
    }
    SkinFileSource source(file);
    SkinParser parser(source);
    std::unique_ptr<SkinNode> root = parser.Parse();
    std::fclose(file);
    if (source.Failed()) {
        // Unreadable (a folder, an I/O error): the same as a file that cannot be opened.
        TONILO_LOG_ERROR(kCannotOpenSkinFile, "%s", path.c_str());
        return false;
    }
    return Finish(std::move(root), parser.Message());
}

bool SkinDocument::LoadText(const std::string& path, std::string_view text) {
    path_ = path;
    root_.reset();
    errorText_.clear();
    SkinMemorySource source(text);
    SkinParser parser(source);
    std::unique_ptr<SkinNode> root = parser.Parse();
    return Finish(std::move(root), parser.Message());
}

bool SkinDocument::Finish(std::unique_ptr<SkinNode> root, const std::string& errorText) {
    if (!root) {
        errorText_ = errorText;
        TONILO_LOG_ERROR(kSkinFileSyntaxError, "%s", errorText.c_str());
        return false;
    }
    root_ = std::move(root);
    return true;
}

template <typename Match> SkinNode* SkinDocument::Walk(const SkinNode* after, Match match) const {
    if (!root_)
        return nullptr;
    const SkinNode* node = after ? after : root_.get();
    while ((node = node->NextInPreOrder(root_.get())) != nullptr) {
        if (match(*node))
            return const_cast<SkinNode*>(node);
    }
    return nullptr;
}

SkinNode* SkinDocument::FindNext(const char* tagName, const SkinNode* after) const {
    return Walk(after, [tagName](const SkinNode& node) {
        const char* name = node.GetName();
        return name && tagName && std::string_view(name) == tagName;
    });
}

SkinNode* SkinDocument::FindNextWithAttribute(const char* attrName, const char* value,
                                              const SkinNode* after) const {
    return Walk(after, [attrName, value](const SkinNode& node) {
        const SkinAttribute* attribute = node.Find(attrName, kSkinString);
        return value && attribute && attribute->text && EqualIgnoringCase(*attribute->text, value);
    });
}

std::string SkinDocument::ResolvePath(const std::string& fileName) const {
    return FolderPrefixOf(path_) + fileName;
}

} // namespace tonilo
