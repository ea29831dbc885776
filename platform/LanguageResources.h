#pragma once
// The language of every user-visible text. English (0x409) is compiled in; any
// other language comes from a string table file beside the executable,
// Lang/Tonilo.<language as 4 lower-case hex digits>.mui, picked once at start-up
// from the registry value "LangID".
//
// Threads: SelectResources and ReleaseResources run on the user-interface thread
// at start-up and shut-down; everything else may be called from any thread.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/StringTable.h"

namespace tonilo {

// Library-name values with a special meaning for SelectResources (recognised by
// address or by content).
// Never load a library.
extern const char* const kUseExecutableResources;
// Load a library even for 0x409, named after the executable.
extern const char* const kForceLanguageLibrary;

constexpr uint16_t kEnglishLanguage = 0x409;
// Texts longer than this many UTF-16 code units are cut.
constexpr size_t kMaxResourceStringLength = 254;

// Reads "LangID" under HKEY_LOCAL_MACHINE "Software\Zelto\<applicationKeyName>" and
// picks the string table: the file for that language, else the one for 0x409 (the
// language then reads 0x409), else the built-in English table. A relative
// libraryName ("Lang/Tonilo"; backslashes are taken as slashes) is resolved in the
// executable's folder, an absolute one is used as it is, a null one (or
// kForceLanguageLibrary) means the executable's own file name.
// Returns false only when a language file was wanted and none could be loaded.
bool SelectResources(const std::string& executablePath, const char* applicationKeyName,
                     const char* libraryName);
// Back to the built-in table; the language stays what selection left.
void ReleaseResources();
uint16_t CurrentLanguage();
// The language file in use, empty while the built-in table serves.
std::string ResourceLibraryPath();

// The one load-string function everything showing text uses: at most 254
// characters; an id the table lacks gives "".
std::string LoadResourceString(uint32_t id);
// From the given table, or from the selected one when module is null.
std::string LoadResourceString(uint32_t id, const StringTable* module);
// The string with each "%s" replaced by the next of `values` in turn. A
// translated text is never used as a format string, so a path or a name with
// a "%" in it goes in as it is and a translation cannot make it read memory.
std::string FillInResourceString(uint32_t id, const std::vector<std::string>& values);

// The compiled-in English table (what "the executable's resources" means here).
const StringTable& BuiltInStrings();

// The file name selection tries for a language: the library path with everything
// after the last dot of its file name replaced by "%04x.mui" (a dot is added when
// there is none).
std::string LanguageLibraryPath(const std::string& executablePath, const char* libraryName,
                                uint16_t language);

} // namespace tonilo
