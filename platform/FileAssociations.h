#pragma once
// Making Tonilo the program that opens an audio file type, and giving the type
// back later. Two records are kept in step:
//  - the class registry in our registry database (HKEY_CLASSES_ROOT): ".ext"
//    names the owning class, "Zelto_<ext>file" says how to open it, and the
//    previous owner is saved beside ".ext" so that it can be restored exactly;
//  - the desktop's MIME database, which is what really decides: our desktop file
//    becomes the default application for the extension's MIME type in the user's
//    mimeapps.list, and the desktop file id that was the default before is the
//    "previous class" the registry saves.
// Individual failures are not reported to the user; a type whose association
// failed shows as not ours the next time it is looked at.
#include <cstdint>
#include <string>

#include "platform/MimeDatabase.h"

namespace tonilo {

constexpr const char* kAssociationDesktopId = "tonilo.desktop";

enum class AssociationOwner { None, Other, Ours };

// "wav" for "wav", ".WAV", "*.wav" or "/music/a.Wav".
std::string AssociationExtension(const std::string& fileNameOrExtension);
// "Zelto_wavfile".
std::string AssociationClassName(const std::string& extension);
// The open command for the executable: the path, quoted when it holds a blank,
// then a blank and %1, which is never quoted.
std::string AssociationOpenCommand(const std::string& executable);

// The program that opens the file or extension according to the class registry:
// the class's Shell\Open\Command up to its first blank, or inside its leading
// double quotes. A bare program name is looked for in the folders of $PATH.
// False when no command is registered. `endsWithQuote` tells whether the command
// ends with a double quote.
bool FindOwnerProgram(const std::string& fileNameOrExtension, std::string* program,
                      bool* endsWithQuote = nullptr);

class FileAssociations {
public:
    // `executable` is the program the types are to open (the tonilo beside
    // tonilo-tool); its folder's tonilo.desktop is the model of the desktop file
    // installed for the user.
    explicit FileAssociations(std::string executable,
                              XdgFolders folders = XdgFolders::FromEnvironment());

    const std::string& Executable() const { return executable_; }
    const XdgFolders& Folders() const { return folders_; }

    // The extension's MIME type; a type of our own, "audio/x-<ext>", for an
    // extension shared-mime-info does not know. "" for an extension that cannot
    // make a type name.
    std::string MimeType(const std::string& extension) const;

    // Ours when the desktop opens the type with our desktop file; other when it
    // opens it with another, or the class registry names another program; none
    // otherwise.
    AssociationOwner Owner(const std::string& extension) const;

    // Refuses a folder, a missing absolute path, a file that is not executable
    // and an icon file that does not exist (an empty iconFile means the
    // executable). The result is whether the open command and the desktop's
    // default were both written.
    bool Associate(const std::string& extension, uint32_t iconId, const std::string& iconFile);

    // Gives the type back to the class and application saved when it was
    // associated. A type the class registry does not give to us is left alone,
    // except that our own line in the user's mimeapps.list is taken out when it
    // names us. False when a file or value could not be changed.
    bool Restore(const std::string& extension);

private:
    bool InstallDesktopFile() const;
    // Another extension the class registry still gives to us has this type.
    bool TypeStillNeeded(const std::string& extension, const std::string& mimeType) const;

    std::string executable_;
    XdgFolders folders_;
};

} // namespace tonilo
