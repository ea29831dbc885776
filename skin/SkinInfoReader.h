#pragma once
// Reads the info section of a parsed skin: the first node named "info", which must
// carry "name", "author" and "comments" as strings and a position list of exactly
// two numbers (the design width and height). A missing or malformed section is
// reported to the engine error log with "Info section is missing!" or "Info
// section has wrong attributes!" and fails. The application creates one reader
// and hands it to the skin catalog.
#include <memory>

#include "skin/SkinDocument.h"
#include "skin/SkinInfo.h"

namespace tonilo {

extern const char* const kInfoSectionMissing;
extern const char* const kInfoSectionWrongAttributes;

class SkinInfoReader {
public:
    SkinInfoReader() = default;
    virtual ~SkinInfoReader() = default;

    // Creates the info when *info is null. The info is changed only on success, and
    // its path is left as it was.
    virtual bool ReadInfo(const SkinDocument& document, std::unique_ptr<SkinInfo>* info);
};

} // namespace tonilo
