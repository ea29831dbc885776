#pragma once
// One attribute of a skin element as the parser stored it, and the record callers
// fill in to ask a node for attributes (see SkinNode::GetAttributes).
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tonilo {

enum SkinAttributeKind : int32_t {
    kSkinNumber = 1, // name=123
    kSkinString = 2, // name="text", or a bare name (a flag) with no text
    kSkinList = 3,   // name=[1,2,3], or the unnamed position list [x,y] / [x,y,w,h]
};

struct SkinAttribute {
    SkinAttributeKind kind = kSkinNumber;
    // None for the position list.
    std::optional<std::string> name;
    // kSkinNumber: the value.
    int32_t number = 0;
    // kSkinString: the text; none for a flag written without a value.
    std::optional<std::string> text;
    // kSkinList: the numbers (the count is its size).
    std::vector<int32_t> list;
    // Set by GetAttributes in request records only.
    bool found = false;

    // A request for GetAttributes or a record for FindAttribute; a null name asks
    // for the position list.
    static SkinAttribute Request(SkinAttributeKind kind, const char* name) {
        SkinAttribute request;
        request.kind = kind;
        if (name)
            request.name = name;
        return request;
    }

    bool IsFlag() const { return kind == kSkinString && !text; }
    size_t Count() const { return list.size(); }
};

} // namespace tonilo
