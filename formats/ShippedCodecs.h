#pragma once
// The program folder's install step: every codec library in Codecs/ gets its
// formats described under the Formats key, so the format registry finds them
// (and loads them only when first needed). A library already described is left
// alone, so running this at every start costs a directory listing.
#include <string>
#include <vector>

namespace tonilo {

struct ShippedCodecsReport {
    std::vector<std::string> registered; // "wav.so: WAV decoder", ...
    std::vector<std::string> problems;   // libraries that could not be described
};

// Describes the libraries of codecsFolder not yet listed under keyPath
// (HKEY_LOCAL_MACHINE). The entries name the library by its file name.
ShippedCodecsReport RegisterShippedCodecs(const std::string& codecsFolder, const char* keyPath);

} // namespace tonilo
