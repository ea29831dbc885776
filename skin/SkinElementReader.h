#pragma once
// Reading the attributes element classes share from a skin node: the position,
// "src" regions, the inherited "file", flags, and images through the owner's cache.
#include <string>

#include "skin/SkinBitmap.h"
#include "skin/SkinGeometry.h"

namespace tonilo {

class SkinDocument;
class SkinNode;
class SkinSystem;

// The string attribute "name", empty when absent.
std::string ReadElementName(const SkinNode& node);
// The position list: four numbers give a rectangle; two (when allowed) only an
// origin, with *hasSize false. False when missing, of another count, or holding a
// coordinate no screen could have.
bool ReadPosition(const SkinNode& node, bool allowPair, SkinRect* rect, bool* hasSize);
// The position as four edges, left, top, right and bottom (the last two one past
// the area), as the application's own elements place themselves; false unless
// there are exactly four numbers within a screen's range.
bool ReadEdges(const SkinNode& node, SkinRect* rect);
// A number list named name; false when present with a count not in [minCount,
// maxCount] or holding a coordinate no screen could have. *found tells whether it was there.
bool ReadList(const SkinNode& node, const char* name, size_t minCount, size_t maxCount,
              std::vector<int32_t>* out, bool* found);
// The "file" of the node or its nearest ancestor that has one, resolved beside the
// skin file; false when missing or empty.
bool ReadInheritedFile(const SkinDocument& document, const SkinNode& node, std::string* path);
// A string attribute of the node itself resolved beside the skin file; false when absent.
bool ReadOwnFile(const SkinDocument& document, const SkinNode& node, const char* name,
                 std::string* path);
// A flag: the name as a bare word or with a string value (a number does not count).
bool HasFlag(const SkinNode& node, const char* name);
// An image through the owner's cache (16 for pictures, 8 for masks); none on failure.
const SkinBitmap* LoadSkinImage(SkinSystem* owner, const std::string& path, int bitsPerPixel);

} // namespace tonilo
