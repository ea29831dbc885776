#include "ui/SkinChoice.h"

#include "app/SettingsStore.h"
#include "skin/DefaultSkins.h"
#include "skin/SkinCatalog.h"

namespace tonilo {

std::string ChooseSkinPath(SkinCatalog& catalog, const SettingsStore& settings,
                           const std::string& skinsFolder, int32_t width, int32_t height,
                           bool best) {
    std::string path;
    if (best) {
        size_t index = 0;
        SkinInfo info;
        if (catalog.FindBest(width, height, &index) && catalog.GetInfo(index, &info))
            path = info.path;
        return path;
    }
    uint32_t firstTime = 0;
    settings.GetNumber("FirstTime", &firstTime);
    if (firstTime)
        path = DefaultSkinPath(skinsFolder, width, height);
    else
        catalog.GetSkinForSize(width, height, &path);
    return path;
}

} // namespace tonilo
