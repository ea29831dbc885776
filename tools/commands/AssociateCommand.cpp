// tonilo-tool associate: which audio file types the desktop opens with Tonilo,
// and making it (or no longer making it) the program that opens them, as the
// "Associations" settings page does.
#include <cstdio>
#include <string>
#include <vector>

#include "app/AssociationsPage.h"
#include "formats/FormatRegistry.h"
#include "platform/FileAssociations.h"
#include "tools/ToolCommand.h"
#include "tools/ToolStartup.h"

namespace tonilo::tool {
namespace {

const char* kUsage = "associate list | set EXT... | restore [EXT...]";

const char* OwnerName(AssociationOwner owner) {
    switch (owner) {
    case AssociationOwner::Ours:
        return "ours";
    case AssociationOwner::Other:
        return "other";
    default:
        return "none";
    }
}

// The named extensions as the decoders list them; false (and a message) for
// one no decoder reads.
bool KnownExtensions(const std::vector<std::string>& known, const Arguments& arguments,
                     std::vector<std::string>* extensions) {
    for (size_t index = 1; index < arguments.size(); ++index) {
        const std::string wanted = AssociationExtension(arguments[index]);
        bool found = false;
        for (const std::string& extension : known)
            if (!found && AssociationExtension(extension) == wanted) {
                extensions->push_back(extension);
                found = true;
            }
        if (!found || wanted.empty()) {
            std::fprintf(stderr,
                         "tonilo-tool: no decoder reads '%s'; 'tonilo-tool associate list' "
                         "shows the types\n",
                         arguments[index].c_str());
            return false;
        }
    }
    return true;
}

int List(FileAssociations& associations, const std::vector<std::string>& extensions) {
    for (const std::string& extension : extensions) {
        const std::string type = associations.MimeType(extension);
        std::printf("%s\t%s\t%s\n", extension.c_str(), type.empty() ? "-" : type.c_str(),
                    OwnerName(associations.Owner(extension)));
    }
    return kExitOk;
}

int Set(FileAssociations& associations, FormatRegistry& registry,
        const std::vector<std::string>& extensions) {
    int result = kExitOk;
    for (const std::string& extension : extensions) {
        if (associations.Owner(extension) == AssociationOwner::Ours)
            continue;
        std::string iconFile;
        uint32_t iconId = 0;
        if (!registry.GetIcon(extension.c_str(), &iconFile, &iconId)) {
            iconFile.clear();
            iconId = 0;
        }
        if (!associations.Associate(extension, iconId, iconFile)) {
            std::fprintf(stderr, "tonilo-tool: %s could not be associated with %s\n",
                         extension.c_str(), associations.Executable().c_str());
            result = kExitFailure;
        }
    }
    return result;
}

int Restore(FileAssociations& associations, const std::vector<std::string>& extensions) {
    int result = kExitOk;
    for (const std::string& extension : extensions) {
        if (associations.Owner(extension) != AssociationOwner::Ours)
            continue;
        if (!associations.Restore(extension)) {
            std::fprintf(stderr, "tonilo-tool: %s could not be given back\n", extension.c_str());
            result = kExitFailure;
        }
    }
    return result;
}

} // namespace

int RunAssociateCommand(const ToolContext& context, const Arguments& arguments) {
    if (arguments.empty())
        return UsageError(kUsage);
    const std::string& action = arguments[0];
    bool list = action == "list" && arguments.size() == 1;
    bool set = action == "set" && arguments.size() > 1;
    bool restore = action == "restore";
    if (!list && !set && !restore)
        return UsageError(kUsage);

    FormatRegistry* registry = OpenFormatRegistry();
    const std::vector<std::string> known = DecoderExtensions(*registry);
    std::vector<std::string> named;
    if (!KnownExtensions(known, arguments, &named)) {
        registry->Release();
        return kExitUsage;
    }
    FileAssociations associations(context.programFolder + "/tonilo");
    int result;
    if (list)
        result = List(associations, known);
    else if (set)
        result = Set(associations, *registry, named);
    else
        result = Restore(associations, arguments.size() > 1 ? named : known);
    registry->Release();
    return result;
}

} // namespace tonilo::tool
