#include "app/AssociationsPage.h"

#include "formats/FormatRegistry.h"
#include "platform/LanguageResources.h"
#include "platform/TextCompare.h"

namespace tonilo {

std::vector<std::string> DecoderExtensions(FormatRegistry& registry) {
    std::vector<std::string> extensions;
    FormatEntry entry;
    for (uint32_t index = 0; registry.GetEntry(&entry, index); ++index) {
        if (entry.kind != FORMAT_KIND_DECODER)
            continue;
        for (const std::string& extension : entry.extensions) {
            bool known = extension.empty();
            for (const std::string& listed : extensions)
                known = known || EqualIgnoringCase(listed, extension);
            if (!known)
                extensions.push_back(extension);
        }
    }
    return extensions;
}

AssociationsPage::AssociationsPage(FileAssociations& associations, FormatRegistry& registry)
    : associations_(associations), registry_(registry) {
    registry_.AddRef();
}

AssociationsPage::~AssociationsPage() {
    registry_.Release();
}

void AssociationsPage::Start() {
    if (started_)
        return;
    started_ = true;
    for (const std::string& extension : DecoderExtensions(registry_))
        lines_.push_back({extension, false});
    Refresh();
}

void AssociationsPage::Refresh() {
    for (Line& line : lines_)
        line.selected = associations_.Owner(line.extension) == AssociationOwner::Ours;
}

bool AssociationsPage::SetSelected(size_t index, bool selected) {
    if (index >= lines_.size())
        return false;
    lines_[index].selected = selected;
    return true;
}

int AssociationsPage::Find(const std::string& extension) const {
    const std::string wanted = AssociationExtension(extension);
    for (size_t index = 0; index < lines_.size(); ++index)
        if (EqualIgnoringCase(lines_[index].extension, wanted))
            return static_cast<int>(index);
    return -1;
}

void AssociationsPage::SelectAll() {
    for (Line& line : lines_)
        line.selected = true;
}

AssociationsMessage AssociationsPage::Associate() {
    std::string text = LoadResourceString(kAssociatedMessageString) + "\n\n";
    for (const Line& line : lines_) {
        std::string iconFile;
        uint32_t iconId = 0;
        if (!registry_.GetIcon(line.extension.c_str(), &iconFile, &iconId)) {
            iconFile.clear();
            iconId = 0;
        }
        bool ours = associations_.Owner(line.extension) == AssociationOwner::Ours;
        if (line.selected) {
            text += line.extension + "\n";
            if (!ours)
                associations_.Associate(line.extension, iconId, iconFile);
        } else if (ours) {
            associations_.Restore(line.extension);
        }
    }
    return {text, kAssociationsCaption};
}

AssociationsMessage AssociationsPage::RestoreAll() {
    for (Line& line : lines_) {
        if (associations_.Owner(line.extension) == AssociationOwner::Ours)
            associations_.Restore(line.extension);
        line.selected = false;
    }
    Refresh();
    return {LoadResourceString(kRestoredMessageString), kAssociationsCaption};
}

} // namespace tonilo
