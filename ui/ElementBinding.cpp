#include "ui/ElementBinding.h"

namespace tonilo {
namespace {

template <typename T> T* Find(SkinFrame* page, const char* name) {
    return page ? dynamic_cast<T*>(page->FindElement(name)) : nullptr;
}

} // namespace

BoundElements BindElements(const Skin& skin) {
    BoundElements bound;
    bound.mainPage = skin.MainFrame();
    SkinFrame* page = nullptr;
    for (size_t i = 0; skin.GetFrame(i, &page); ++i) {
        if (page->FindElement("Files")) {
            bound.filesPage = page;
            break;
        }
    }
    SkinFrame* listPage = bound.filesPage;
    if (!listPage || !listPage->FindElement("FileList"))
        listPage = bound.mainPage;
    bound.fileList = Find<SkinElement>(listPage, "FileList");
    bound.fileDir = Find<SkinElement>(listPage, "FileDir");
    bound.sortBy = Find<SkinButton>(listPage, "SortBy");

    SkinFrame* main = bound.mainPage;
    bound.rec = Find<SkinButton>(main, "Rec");
    bound.play = Find<SkinButton>(main, "Play");
    bound.stop = Find<SkinButton>(main, "Stop");
    bound.prev = Find<SkinButton>(main, "Prev");
    bound.next = Find<SkinButton>(main, "Next");
    bound.volUp = Find<SkinButton>(main, "VolUp");
    bound.volDown = Find<SkinButton>(main, "VolDown");
    bound.volLevel = Find<SkinLevel>(main, "VolLevel");
    bound.volume = Find<SkinSlider>(main, "Volume");
    bound.track = Find<SkinSlider>(main, "Track");
    bound.time = Find<SkinTime>(main, "Time");
    bound.title = Find<SkinText>(main, "Title");
    bound.info = Find<SkinText>(main, "Info");
    return bound;
}

} // namespace tonilo
