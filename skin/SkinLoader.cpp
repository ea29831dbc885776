#include "skin/SkinLoader.h"

#include <strings.h>

#include <cstring>

#include "skin/ElementClassRegistry.h"
#include "skin/SkinCatalog.h"
#include "skin/SkinDocument.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinInfoReader.h"
#include "skin/SkinNode.h"
#include "skin/SkinSystem.h"
#include "skin/SkinWindow.h"

namespace tonilo {

SkinLoader::~SkinLoader() {
    while (!skins_.empty())
        skins_.pop_back();
}

Skin* SkinLoader::LoadSkin(const std::string& path, void* parentWindow, SkinListener* listener,
                           Skin* templateSkin) {
    listener_ = listener;
    SkinInfoReader* reader = system_->GetCatalog().GetInfoReader();
    if (path.empty() || !parentWindow || !reader)
        return nullptr;
    SkinDocument document;
    std::unique_ptr<SkinInfo> info;
    if (!document.Load(path) || !reader->ReadInfo(document, &info))
        return nullptr;
    info->path = path;
    const int32_t width = info->width, height = info->height;
    auto skin = std::make_unique<Skin>(std::move(info));
    const SkinNode* frameNode = document.GetRoot();
    for (bool main = true; frameNode; main = false) {
        auto frame = std::make_unique<SkinFrame>(system_);
        frame->SetWindow(system_->GetWindowFactory().CreateSkinWindow(
            frame.get(), width, height, main ? parentWindow : nullptr, main));
        if (!frame->GetWindow() || !frame->GetCompositor().Create(width, height))
            return nullptr;
        if (!main)
            frame->SetName(ReadElementName(*frameNode));
        if (!BuildElements(document, *frameNode, frame.get(), nullptr, templateSkin))
            return nullptr;
        // Everything starts out to be painted.
        frame->InvalidateArea(SkinRect::FromSize(0, 0, width, height));
        skin->AddFrame(std::move(frame));
        frameNode = document.FindNext("frame", frameNode);
    }
    skins_.push_back(std::move(skin));
    return skins_.back().get();
}

bool SkinLoader::BuildElements(const SkinDocument& document, const SkinNode& node, SkinFrame* frame,
                               SkinElement* parent, Skin* templateSkin) {
    SkinElement* element = nullptr;
    const char* tag = node.GetName();
    if (tag && strcmp(tag, "info") != 0) {
        ElementClass* elementClass = system_->GetRegistry().Find(tag);
        if (!elementClass)
            return false;
        std::string name = ReadElementName(node);
        SkinElement* templateElement = nullptr;
        if (templateSkin && !name.empty())
            templateElement = templateSkin->FindElement(name.c_str());
        if (!elementClass->createFunction(document, node, system_, frame, parent, templateElement,
                                          &element) ||
            !element)
            return false;
        frame->AddElement(element);
        if (!templateSkin)
            element->SetListener(parent ? static_cast<SkinListener*>(parent) : listener_);
        else
            element->SetListener(templateElement ? templateElement->GetListener() : nullptr);
    }
    for (size_t i = 0; i < node.GetChildCount(); ++i) {
        const SkinNode* child = node.GetChild(i);
        if (child->GetName() && strcasecmp(child->GetName(), "frame") == 0)
            continue;
        if (!BuildElements(document, *child, frame, element ? element : parent, templateSkin))
            return false;
    }
    if (element)
        element->OnChildrenCreated();
    return true;
}

void SkinLoader::UnloadSkin(Skin* skin) {
    for (auto it = skins_.begin(); it != skins_.end(); ++it)
        if (it->get() == skin) {
            skins_.erase(it);
            return;
        }
}

} // namespace tonilo
