#pragma once
// One element of a parsed skin file: its tag name, its attributes in file order
// (the position list last) and its children. A node owns its attributes and its
// children; the document owns the root. Nodes are built by the parser and only
// read afterwards, so any thread may query a tree nobody modifies.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/SkinAttribute.h"

namespace tonilo {

class SkinNode {
public:
    // The root is created without a name.
    explicit SkinNode(std::optional<std::string> name = std::nullopt);
    virtual ~SkinNode();
    SkinNode(const SkinNode&) = delete;
    SkinNode& operator=(const SkinNode&) = delete;

    // The tag name; null for the root.
    virtual const char* GetName() const;
    virtual size_t GetAttributeCount() const;
    // Copies the attribute at index; false when out of range.
    virtual bool GetAttribute(size_t index, SkinAttribute* out) const;
    // Fills a set of requests (kind and name set by the caller). The found flags are
    // cleared; each attribute, in order, fills the first unfound request of its kind
    // and name. True only when every request was found.
    virtual bool GetAttributes(SkinAttribute* requests, size_t count) const;
    // The first attribute of this kind and name (bytewise; a null name finds the
    // position list). False when there is none.
    virtual bool FindAttribute(const char* name, SkinAttributeKind kind, SkinAttribute* out) const;
    virtual SkinNode* GetParent() const;
    virtual size_t GetChildCount() const;
    // Null when out of range.
    virtual SkinNode* GetChild(size_t index) const;

    bool GetAttributes(std::vector<SkinAttribute>* requests) const {
        return GetAttributes(requests->data(), requests->size());
    }
    // Looks on this node, then on each parent up to the root: how an inherited
    // attribute such as "file" is found. Returns the node that supplied it.
    const SkinNode* FindInheritedAttribute(const char* name, SkinAttributeKind kind,
                                           SkinAttribute* out) const;
    // The next node in pre-order below `top` (this node's descendants, then the
    // following nodes under `top`); null at the end.
    const SkinNode* NextInPreOrder(const SkinNode* top) const;
    // Direct access for readers that only look: no copy, valid while the node lives.
    const SkinAttribute* AttributeAt(size_t index) const;
    const SkinAttribute* Find(const char* name, SkinAttributeKind kind) const;

    void AddAttribute(SkinAttribute attribute);
    void AddChild(std::unique_ptr<SkinNode> child);

private:
    std::optional<std::string> name_;
    std::vector<SkinAttribute> attributes_;
    SkinNode* parent_ = nullptr;
    size_t indexInParent_ = 0;
    std::vector<std::unique_ptr<SkinNode>> children_;
};

} // namespace tonilo
