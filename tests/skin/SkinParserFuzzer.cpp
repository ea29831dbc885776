// Any bytes either parse or fail with a message; the queries then walk what parsed.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/ErrorLog.h"
#include "skin/SkinDocument.h"
#include "skin/SkinInfoReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tonilo;
    GetErrorLog().Clear();
    SkinDocument document;
    std::string_view text(reinterpret_cast<const char*>(data), size);
    if (!document.LoadText("/skins/fuzz/skin.zs", text)) {
        if (document.GetErrorText().compare(0, 5, "Line ") != 0 || document.GetRoot())
            std::abort();
        return 0;
    }
    size_t nodes = 0;
    for (const SkinNode* node = document.FindNext("button", nullptr); node;
         node = document.FindNext("button", node)) {
        SkinAttribute file;
        node->FindInheritedAttribute("file", kSkinString, &file);
        ++nodes;
    }
    document.FindNextWithAttribute("name", "play", nullptr);
    std::unique_ptr<SkinInfo> info;
    SkinInfoReader().ReadInfo(document, &info);
    GetErrorLog().Clear();
    return nodes > size ? 1 : 0;
}
