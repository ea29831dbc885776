#include "skin/SkinElementReader.h"

#include "skin/SkinDocument.h"
#include "skin/SkinImageCache.h"
#include "skin/SkinNode.h"
#include "skin/SkinSystem.h"

namespace tonilo {

std::string ReadElementName(const SkinNode& node) {
    const SkinAttribute* name = node.Find("name", kSkinString);
    return name && name->text ? *name->text : std::string();
}

namespace {

// Far beyond any screen, yet small enough that edges computed from a position and a
// size never overflow.
constexpr int32_t kMaxCoordinate = 1 << 24;

bool AllWithinScreenRange(const std::vector<int32_t>& values) {
    for (int32_t value : values)
        if (value < -kMaxCoordinate || value > kMaxCoordinate)
            return false;
    return true;
}

} // namespace

bool ReadPosition(const SkinNode& node, bool allowPair, SkinRect* rect, bool* hasSize) {
    const SkinAttribute* position = node.Find(nullptr, kSkinList);
    if (!position || !AllWithinScreenRange(position->list))
        return false;
    const std::vector<int32_t>& v = position->list;
    if (v.size() == 4) {
        *rect = SkinRect::FromSize(v[0], v[1], v[2], v[3]);
        *hasSize = true;
        return true;
    }
    if (v.size() == 2 && allowPair) {
        *rect = SkinRect{v[0], v[1], v[0] - 1, v[1] - 1};
        *hasSize = false;
        return true;
    }
    return false;
}

bool ReadEdges(const SkinNode& node, SkinRect* rect) {
    const SkinAttribute* position = node.Find(nullptr, kSkinList);
    if (!position || position->list.size() != 4 || !AllWithinScreenRange(position->list))
        return false;
    const std::vector<int32_t>& v = position->list;
    *rect = SkinRect{v[0], v[1], v[2] - 1, v[3] - 1};
    return true;
}

bool ReadList(const SkinNode& node, const char* name, size_t minCount, size_t maxCount,
              std::vector<int32_t>* out, bool* found) {
    const SkinAttribute* list = node.Find(name, kSkinList);
    *found = list != nullptr;
    if (!list)
        return true;
    if (list->list.size() < minCount || list->list.size() > maxCount ||
        !AllWithinScreenRange(list->list))
        return false;
    *out = list->list;
    return true;
}

bool ReadInheritedFile(const SkinDocument& document, const SkinNode& node, std::string* path) {
    SkinAttribute file;
    if (!node.FindInheritedAttribute("file", kSkinString, &file) || !file.text ||
        file.text->empty())
        return false;
    *path = document.ResolvePath(*file.text);
    return true;
}

bool ReadOwnFile(const SkinDocument& document, const SkinNode& node, const char* name,
                 std::string* path) {
    const SkinAttribute* file = node.Find(name, kSkinString);
    if (!file || !file->text || file->text->empty())
        return false;
    *path = document.ResolvePath(*file->text);
    return true;
}

bool HasFlag(const SkinNode& node, const char* name) {
    return node.Find(name, kSkinString) != nullptr;
}

const SkinBitmap* LoadSkinImage(SkinSystem* owner, const std::string& path, int bitsPerPixel) {
    return owner ? owner->GetImageCache().LoadImage(path, bitsPerPixel) : nullptr;
}

} // namespace tonilo
