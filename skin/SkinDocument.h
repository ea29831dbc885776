#pragma once
// A parsed skin file: the path it was read from and the tree of its elements.
// Failures go to the engine error log for the caller to show: 21000 "Cannot open
// skin file!" with the path, 21001 "Skin file syntax error!" with the parser's
// "Line %d: %s" text. A document is used by one thread at a time.
#include <memory>
#include <string>
#include <string_view>

#include "skin/SkinNode.h"

namespace tonilo {

constexpr int32_t kCannotOpenSkinFile = 21000;
constexpr int32_t kSkinFileSyntaxError = 21001;

class SkinDocument {
public:
    SkinDocument();
    ~SkinDocument();
    SkinDocument(const SkinDocument&) = delete;
    SkinDocument& operator=(const SkinDocument&) = delete;

    // Reads and parses the file. On failure the document holds no tree.
    bool Load(const std::string& path);
    // Parses text already in memory as if it were the file at `path`.
    bool LoadText(const std::string& path, std::string_view text);

    // The path of the last load, kept even when it failed.
    const std::string& GetPath() const { return path_; }
    // Null until a load succeeds.
    SkinNode* GetRoot() const { return root_.get(); }
    // The "Line %d: %s" text of the last failed parse, empty otherwise.
    const std::string& GetErrorText() const { return errorText_; }

    // The next node after `after` (after the root when null), in pre-order, whose tag
    // name is tagName (case-sensitive). The starting node itself is not tested.
    SkinNode* FindNext(const char* tagName, const SkinNode* after) const;
    // The same walk; a node matches when its string attribute attrName equals value
    // ignoring case.
    SkinNode* FindNextWithAttribute(const char* attrName, const char* value,
                                    const SkinNode* after) const;
    // The path of a file named in the skin: fileName in the skin file's folder.
    std::string ResolvePath(const std::string& fileName) const;

private:
    bool Finish(std::unique_ptr<SkinNode> root, const std::string& errorText);
    template <typename Match> SkinNode* Walk(const SkinNode* after, Match match) const;

    std::string path_;
    std::unique_ptr<SkinNode> root_;
    std::string errorText_;
};

} // namespace tonilo
