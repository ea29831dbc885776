#include "skin/SkinInfoReader.h"

#include "platform/ErrorLog.h"

namespace tonilo {

const char* const kInfoSectionMissing = "Info section is missing!";
const char* const kInfoSectionWrongAttributes = "Info section has wrong attributes!";

namespace {

std::string Bounded(const std::string& text) {
    return text.substr(0, SkinInfo::kMaxText);
}

} // namespace

bool SkinInfoReader::ReadInfo(const SkinDocument& document, std::unique_ptr<SkinInfo>* info) {
    const SkinNode* node = document.FindNext("info", nullptr);
    if (!node) {
        TONILO_LOG_ERROR(kNoErrorCode, "%s", kInfoSectionMissing);
        return false;
    }
    SkinAttribute requests[] = {
        SkinAttribute::Request(kSkinString, "name"),
        SkinAttribute::Request(kSkinString, "author"),
        SkinAttribute::Request(kSkinString, "comments"),
        SkinAttribute::Request(kSkinList, nullptr),
    };
    // A bare flag has no text to copy: it counts as a wrong attribute.
    if (!node->GetAttributes(requests, 4) || !requests[0].text || !requests[1].text ||
        !requests[2].text || requests[3].Count() != 2) {
        TONILO_LOG_ERROR(kNoErrorCode, "%s", kInfoSectionWrongAttributes);
        return false;
    }
    if (!*info)
        *info = std::make_unique<SkinInfo>();
    SkinInfo& result = **info;
    result.width = requests[3].list[0];
    result.height = requests[3].list[1];
    result.name = Bounded(*requests[0].text);
    result.author = Bounded(*requests[1].text);
    result.comments = Bounded(*requests[2].text);
    return true;
}

} // namespace tonilo
