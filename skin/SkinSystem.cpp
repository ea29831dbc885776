#include "skin/SkinSystem.h"

namespace tonilo {

SkinSystem::SkinSystem(std::string keyPath)
    : keyPath_(std::move(keyPath)), imageCache_(std::make_unique<SkinImageCache>()),
      loader_(std::make_unique<SkinLoader>(this)),
      registry_(std::make_unique<ElementClassRegistry>()),
      catalog_(std::make_unique<SkinCatalog>(keyPath_)) {}

SkinSystem::~SkinSystem() {
    catalog_.reset();
    registry_.reset();
    loader_.reset();
    imageCache_.reset();
}

} // namespace tonilo
