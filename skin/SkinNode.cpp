#include "skin/SkinNode.h"

#include <cstring>

namespace tonilo {
namespace {

bool SameName(const std::optional<std::string>& name, const char* wanted) {
    if (!wanted)
        return !name;
    return name && std::strcmp(name->c_str(), wanted) == 0;
}

bool SameName(const std::optional<std::string>& name, const std::optional<std::string>& wanted) {
    return wanted ? SameName(name, wanted->c_str()) : !name;
}

} // namespace

SkinNode::SkinNode(std::optional<std::string> name) : name_(std::move(name)) {}

SkinNode::~SkinNode() = default;

const char* SkinNode::GetName() const {
    return name_ ? name_->c_str() : nullptr;
}

size_t SkinNode::GetAttributeCount() const {
    return attributes_.size();
}

bool SkinNode::GetAttribute(size_t index, SkinAttribute* out) const {
    if (index >= attributes_.size())
        return false;
    if (out)
        *out = attributes_[index];
    return true;
}

bool SkinNode::GetAttributes(SkinAttribute* requests, size_t count) const {
    for (size_t i = 0; i < count; ++i)
        requests[i].found = false;
    if (attributes_.empty())
        return count == 0;
    for (const SkinAttribute& attribute : attributes_) {
        for (size_t i = 0; i < count; ++i) {
            SkinAttribute& request = requests[i];
            if (request.found || request.kind != attribute.kind ||
                !SameName(attribute.name, request.name))
                continue;
            request.number = attribute.number;
            request.text = attribute.text;
            request.list = attribute.list;
            request.found = true;
            break;
        }
    }
    for (size_t i = 0; i < count; ++i) {
        if (!requests[i].found)
            return false;
    }
    return true;
}

const SkinAttribute* SkinNode::Find(const char* name, SkinAttributeKind kind) const {
    for (const SkinAttribute& attribute : attributes_) {
        if (attribute.kind == kind && SameName(attribute.name, name))
            return &attribute;
    }
    return nullptr;
}

bool SkinNode::FindAttribute(const char* name, SkinAttributeKind kind, SkinAttribute* out) const {
    const SkinAttribute* attribute = Find(name, kind);
    if (!attribute)
        return false;
    if (out)
        *out = *attribute;
    return true;
}

SkinNode* SkinNode::GetParent() const {
    return parent_;
}

size_t SkinNode::GetChildCount() const {
    return children_.size();
}

SkinNode* SkinNode::GetChild(size_t index) const {
    return index < children_.size() ? children_[index].get() : nullptr;
}

const SkinNode* SkinNode::FindInheritedAttribute(const char* name, SkinAttributeKind kind,
                                                 SkinAttribute* out) const {
    for (const SkinNode* node = this; node; node = node->parent_) {
        if (node->FindAttribute(name, kind, out))
            return node;
    }
    return nullptr;
}

const SkinNode* SkinNode::NextInPreOrder(const SkinNode* top) const {
    if (!children_.empty())
        return children_.front().get();
    for (const SkinNode* node = this; node && node != top; node = node->parent_) {
        const SkinNode* parent = node->parent_;
        if (parent && node->indexInParent_ + 1 < parent->children_.size())
            return parent->children_[node->indexInParent_ + 1].get();
    }
    return nullptr;
}

const SkinAttribute* SkinNode::AttributeAt(size_t index) const {
    return index < attributes_.size() ? &attributes_[index] : nullptr;
}

void SkinNode::AddAttribute(SkinAttribute attribute) {
    attribute.found = false;
    attributes_.push_back(std::move(attribute));
}

void SkinNode::AddChild(std::unique_ptr<SkinNode> child) {
    child->parent_ = this;
    child->indexInParent_ = children_.size();
    children_.push_back(std::move(child));
}

} // namespace tonilo
