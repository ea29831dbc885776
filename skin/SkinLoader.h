#pragma once
// Turns a skin file into a Skin: parses it, reads its info, and builds one frame
// per frame of the file (the outermost level first, then each "frame" node) with
// its window, compositor and elements. A skin given as template hands its element
// state over to the elements of the same name. A file that fails to parse reports
// its message; a skin that cannot be built (unknown tag, malformed element) fails
// quietly and the caller falls back. User-interface thread only.
#include <memory>
#include <string>
#include <vector>

#include "skin/Skin.h"

namespace tonilo {

class SkinDocument;
class SkinListener;
class SkinNode;
class SkinSystem;

class SkinLoader {
public:
    explicit SkinLoader(SkinSystem* system) : system_(system) {}
    virtual ~SkinLoader();
    SkinLoader(const SkinLoader&) = delete;
    SkinLoader& operator=(const SkinLoader&) = delete;

    // Null on failure. The loader keeps the skin until UnloadSkin.
    virtual Skin* LoadSkin(const std::string& path, void* parentWindow, SkinListener* listener,
                           Skin* templateSkin);
    virtual void UnloadSkin(Skin* skin);
    size_t GetSkinCount() const { return skins_.size(); }

private:
    bool BuildElements(const SkinDocument& document, const SkinNode& node, SkinFrame* frame,
                       SkinElement* parent, Skin* templateSkin);

    SkinSystem* system_;
    SkinListener* listener_ = nullptr;
    std::vector<std::unique_ptr<Skin>> skins_;
};

} // namespace tonilo
