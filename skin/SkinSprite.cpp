#include "skin/SkinSprite.h"

#include "skin/SkinDocument.h"
#include "skin/SkinElementReader.h"
#include "skin/SkinFrame.h"
#include "skin/SkinMessages.h"
#include "skin/SkinNode.h"

namespace tonilo {

ElementClass& SkinSprite::Class() {
    static ElementClass elementClass("sprite", &SkinSprite::Create, &SkinSprite::Handle);
    return elementClass;
}

bool SkinSprite::Create(const SkinDocument& document, const SkinNode& node, SkinSystem* owner,
                        SkinFrame* frame, SkinElement* parent, SkinElement*, SkinElement** out) {
    auto* sprite = new SkinSprite(owner, frame);
    sprite->Init(&Class(), parent, ReadElementName(node));
    std::string file;
    std::vector<int32_t> src;
    bool hasSrc = false;
    if (!ReadInheritedFile(document, node, &file) || !ReadList(node, "src", 4, 4, &src, &hasSrc)) {
        sprite->Release();
        return false;
    }
    sprite->image_.bitmap = LoadSkinImage(owner, file, 16);
    if (hasSrc)
        sprite->image_.source = SkinRect::FromSize(src[0], src[1], src[2], src[3]);
    std::string alpha;
    if (ReadOwnFile(document, node, "alpha", &alpha))
        sprite->image_.mask = LoadSkinImage(owner, alpha, 8);
    if (frame)
        frame->GetCompositor().RegisterImage(&sprite->image_);
    *out = sprite;
    return true;
}

bool SkinSprite::GetImageSize(int32_t* width, int32_t* height) const {
    SkinCompositor* compositor = GetCompositor();
    return compositor && image_.id && compositor->GetImageSize(image_.id, width, height);
}

bool SkinSprite::Handle(SkinElement* element, uint32_t message, uintptr_t, intptr_t, intptr_t*) {
    if (message != kSkinPaint)
        return false;
    auto* sprite = static_cast<SkinSprite*>(element);
    int32_t width = 0, height = 0;
    if (sprite->GetImageSize(&width, &height))
        sprite->GetCompositor()->DrawImage(sprite, sprite->image_.id,
                                           SkinRect::FromSize(0, 0, width, height), {0, 0}, 0);
    return true;
}

} // namespace tonilo
