// Writes the compiled-in English strings as a language file that translators
// copy to Tonilo.<language>.mui and translate. Usage: make_language_template OUTPUT
#include <cstdio>
#include <string>

#include "platform/EnglishStrings.h"
#include "platform/StringTable.h"

namespace {

const char kHeader[] =
    "# Tonilo string table, English (0409): the template for translations.\n"
    "# Copy this file to Tonilo.<language>.mui in this folder, the language as four\n"
    "# lower-case hexadecimal digits (Tonilo.0407.mui for German, Tonilo.040c.mui for\n"
    "# French), set the registry value LangID to that language, and translate the\n"
    "# text after the tab of each line. Keep the ids and the %s, %d placeholders.\n"
    "# Escapes: \\n line break, \\t tab, \\\\ backslash. An id left out shows no text.\n"
    "# Save as UTF-8.\n"
    "\n";

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\n", argv[0]);
        return 2;
    }
    std::string content = kHeader;
    for (size_t i = 0; i < tonilo::kEnglishStringCount; ++i) {
        const tonilo::ResourceString& entry = tonilo::kEnglishStrings[i];
        content += std::to_string(entry.id) + "\t" + tonilo::EscapeResourceText(entry.text) + "\n";
    }

    // Written beside the target and renamed, so a half-written template never shows.
    std::string output = argv[1];
    std::string temporary = output + ".part";
    std::FILE* file = std::fopen(temporary.c_str(), "wb");
    if (!file) {
        std::perror(temporary.c_str());
        return 1;
    }
    bool written = std::fwrite(content.data(), 1, content.size(), file) == content.size();
    written = std::fclose(file) == 0 && written;
    if (!written || std::rename(temporary.c_str(), output.c_str()) != 0) {
        std::perror(output.c_str());
        std::remove(temporary.c_str());
        return 1;
    }
    return 0;
}
