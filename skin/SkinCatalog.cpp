#include "skin/SkinCatalog.h"

#include <strings.h>

#include <cstdio>
#include <filesystem>

#include "platform/RegistryKey.h"
#include "skin/DefaultSkins.h"
#include "skin/SkinDocument.h"
#include "skin/SkinInfoReader.h"

namespace tonilo {
namespace {

std::string SizeValueName(int32_t width, int32_t height) {
    char name[32];
    std::snprintf(name, sizeof name, "W%dH%d", width, height);
    return name;
}

} // namespace

std::string DefaultSkinPath(const std::string& skinsFolder, int32_t width, int32_t height) {
    for (const DefaultSkinSize& size : kDefaultSkinSizes)
        if (size.width == width && size.height == height)
            return skinsFolder + "/" + size.subfolder + "/" + kDefaultSkinFile;
    return std::string();
}

SkinCatalog::SkinCatalog(std::string keyPath) : keyPath_(std::move(keyPath)) {}

SkinCatalog::~SkinCatalog() = default;

void SkinCatalog::SetInfoReader(SkinInfoReader* reader) {
    if (reader)
        reader_ = reader;
}

void SkinCatalog::SetSkinsFolder(const char* path) {
    if (path)
        skinsFolder_ = path;
}

bool SkinCatalog::GetSkinForSize(int32_t width, int32_t height, std::string* path) {
    path->clear();
    RegistryKey key(keyPath_.c_str(), HKEY_LOCAL_MACHINE);
    if (key.Open() && key.ReadString(SizeValueName(width, height).c_str(), path) && !path->empty())
        return true;
    path->clear();
    if (!skinsFolder_.empty())
        *path = DefaultSkinPath(skinsFolder_, width, height);
    return !path->empty();
}

void SkinCatalog::LoadAll() {
    if (loaded_)
        return;
    loaded_ = true;
    RegistryKey key(keyPath_.c_str(), HKEY_LOCAL_MACHINE);
    if (key.Open()) {
        std::string name;
        uint32_t type = 0;
        for (uint32_t i = 0; key.EnumerateValue(i, &name, &type); ++i) {
            std::string path;
            if (type == REG_SZ && strncasecmp(name.c_str(), "InstSkin", 8) == 0 &&
                key.ReadString(name.c_str(), &path) && !path.empty())
                Add(path);
        }
    }
    if (!skinsFolder_.empty())
        for (const DefaultSkinSize& size : kDefaultSkinSizes)
            Add(DefaultSkinPath(skinsFolder_, size.width, size.height));
}

void SkinCatalog::Add(const std::string& path) {
    for (const auto& info : infos_)
        if (strcasecmp(info->path.c_str(), path.c_str()) == 0)
            return;
    if (!reader_)
        return;
    SkinDocument document;
    std::unique_ptr<SkinInfo> info;
    if (!document.Load(path) || !reader_->ReadInfo(document, &info))
        return;
    info->path = path.substr(0, SkinInfo::kMaxText);
    infos_.push_back(std::move(info));
}

bool SkinCatalog::SetSkinForSize(int32_t width, int32_t height, const std::string& path) {
    RegistryKey key(keyPath_.c_str(), HKEY_LOCAL_MACHINE);
    return key.Open(nullptr, true) && key.WriteString(SizeValueName(width, height).c_str(), path);
}

size_t SkinCatalog::GetCount() const {
    return infos_.size();
}

bool SkinCatalog::GetInfo(size_t index, SkinInfo* info) const {
    if (index >= infos_.size())
        return false;
    *info = *infos_[index];
    return true;
}

bool SkinCatalog::MatchesSize(size_t index, int32_t width, int32_t height) const {
    return index < infos_.size() && infos_[index]->width == width &&
           infos_[index]->height == height;
}

bool SkinCatalog::FindBest(int32_t width, int32_t height, size_t* index) {
    LoadAll();
    for (size_t i = 0; i < infos_.size(); ++i)
        if (MatchesSize(i, width, height)) {
            *index = i;
            return true;
        }
    bool found = false;
    size_t best = 0;
    for (size_t i = 0; i < infos_.size(); ++i) {
        const SkinInfo& info = *infos_[i];
        if (info.width > width || info.height > height)
            continue;
        if (!found || (info.width >= infos_[best]->width && info.height >= infos_[best]->height)) {
            best = i;
            found = true;
        }
    }
    if (found)
        *index = best;
    return found;
}

void SkinCatalog::PruneDefaultSkins(int32_t screenWidth, int32_t screenHeight, bool canRotate) {
    int32_t bestWidth = 0, bestHeight = 0;
    size_t best = 0;
    if (FindBest(screenWidth, screenHeight, &best)) {
        bestWidth = infos_[best]->width;
        bestHeight = infos_[best]->height;
    }
    auto same = [](int32_t w, int32_t h, int32_t w2, int32_t h2) { return w == w2 && h == h2; };
    for (const DefaultSkinSize& size : kDefaultSkinSizes) {
        int32_t w = size.width, h = size.height;
        bool keep = same(w, h, bestWidth, bestHeight) || same(w, h, screenWidth, screenHeight) ||
                    (canRotate &&
                     (same(h, w, bestWidth, bestHeight) || same(h, w, screenWidth, screenHeight)));
        if (keep || skinsFolder_.empty())
            continue;
        std::error_code error;
        std::filesystem::remove_all(skinsFolder_ + "/" + size.subfolder, error);
    }
}

} // namespace tonilo
