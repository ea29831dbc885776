#pragma once
// The info section of one skin file: what the skin chooser lists and the design
// size every frame window of the skin gets.
#include <cstddef>
#include <cstdint>
#include <string>

namespace tonilo {

struct SkinInfo {
    // Texts and the path keep at most this many characters.
    static constexpr size_t kMaxText = 259;

    std::string path; // the skin file; filled by whoever found the file
    int32_t width = 0;
    int32_t height = 0;
    std::string name;
    std::string author;
    std::string comments;
};

} // namespace tonilo
