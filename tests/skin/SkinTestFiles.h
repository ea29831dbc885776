#pragma once
// A scratch folder for skin files, removed with everything in it.
#include <fstream>
#include <string>

#include "tests/support/ScratchFolder.h"

namespace tonilo {

class SkinTestFolder : public test::ScratchFolder {
public:
    // Writes content to the file name in the folder and returns its path.
    std::string Write(const std::string& name, const std::string& content) const {
        std::string file = *this / name;
        std::ofstream(file, std::ios::binary) << content;
        return file;
    }
};

} // namespace tonilo
