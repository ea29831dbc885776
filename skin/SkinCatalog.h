#pragma once
// The skins the program knows: those registered by installers (string values
// "InstSkin..." under the application key) and the default skin of each size in the
// skins folder. Picks the skin for a screen size ("W%dH%d" values first, then the
// default of that exact size) and the best fit among the listed skins.
// User-interface thread only.
#include <memory>
#include <string>
#include <vector>

#include "skin/SkinInfo.h"

namespace tonilo {

class SkinInfoReader;

class SkinCatalog {
public:
    // keyPath: the application's key under HKEY_LOCAL_MACHINE.
    explicit SkinCatalog(std::string keyPath);
    virtual ~SkinCatalog();
    SkinCatalog(const SkinCatalog&) = delete;
    SkinCatalog& operator=(const SkinCatalog&) = delete;

    virtual void SetInfoReader(SkinInfoReader* reader);
    virtual void SetSkinsFolder(const char* path);
    virtual bool GetSkinForSize(int32_t width, int32_t height, std::string* path);
    // Builds the list once: installed skins, then the default of every size.
    virtual void LoadAll();
    virtual bool SetSkinForSize(int32_t width, int32_t height, const std::string& path);
    virtual size_t GetCount() const;
    virtual bool GetInfo(size_t index, SkinInfo* info) const;
    virtual bool MatchesSize(size_t index, int32_t width, int32_t height) const;
    // The skin of exactly this size, else the largest that fits in both directions.
    virtual bool FindBest(int32_t width, int32_t height, size_t* index);
    // Deletes the default skin folders this device cannot use: all but the best
    // skin's size and the screen's size (and, when it can rotate, those turned).
    virtual void PruneDefaultSkins(int32_t screenWidth, int32_t screenHeight,
                                   bool canRotate = true);

    SkinInfoReader* GetInfoReader() const { return reader_; }
    const std::string& GetSkinsFolder() const { return skinsFolder_; }

private:
    void Add(const std::string& path);

    std::string keyPath_;
    SkinInfoReader* reader_ = nullptr;
    std::string skinsFolder_;
    bool loaded_ = false;
    std::vector<std::unique_ptr<SkinInfo>> infos_;
};

} // namespace tonilo
