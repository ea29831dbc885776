#pragma once
// The skin engine of one application: the catalog of skins, the element classes,
// the loader and the image cache, with the text renderer and window factory the
// platform supplies. Owned by the application for its whole run.
// User-interface thread only.
#include <memory>
#include <string>

#include "skin/ElementClassRegistry.h"
#include "skin/SkinCatalog.h"
#include "skin/SkinImageCache.h"
#include "skin/SkinLoader.h"
#include "skin/SkinOffscreenWindow.h"

namespace tonilo {

class SkinTextRenderer;

class SkinSystem {
public:
    // keyPath: the application's key under HKEY_LOCAL_MACHINE.
    explicit SkinSystem(std::string keyPath);
    virtual ~SkinSystem();
    SkinSystem(const SkinSystem&) = delete;
    SkinSystem& operator=(const SkinSystem&) = delete;

    SkinCatalog& GetCatalog() { return *catalog_; }
    ElementClassRegistry& GetRegistry() { return *registry_; }
    SkinLoader& GetLoader() { return *loader_; }
    SkinImageCache& GetImageCache() { return *imageCache_; }
    const std::string& GetKeyPath() const { return keyPath_; }

    // Not owned; none leaves text elements blank.
    void SetTextRenderer(SkinTextRenderer* renderer) { textRenderer_ = renderer; }
    SkinTextRenderer* GetTextRenderer() const { return textRenderer_; }
    // Not owned; without one, frames get windows without a screen.
    void SetWindowFactory(SkinWindowFactory* factory) { windowFactory_ = factory; }
    SkinWindowFactory& GetWindowFactory() {
        return windowFactory_ ? *windowFactory_ : offscreenFactory_;
    }

private:
    std::string keyPath_;
    SkinTextRenderer* textRenderer_ = nullptr;
    SkinWindowFactory* windowFactory_ = nullptr;
    SkinOffscreenWindowFactory offscreenFactory_;
    // Destroyed in the order catalog, registry, loader, image cache.
    std::unique_ptr<SkinImageCache> imageCache_;
    std::unique_ptr<SkinLoader> loader_;
    std::unique_ptr<ElementClassRegistry> registry_;
    std::unique_ptr<SkinCatalog> catalog_;
};

} // namespace tonilo
