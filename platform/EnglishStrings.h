#pragma once
// The English string table compiled into the program: the texts of language
// 0x409 whenever no language file is in use, and the source of the translators'
// template Lang/Tonilo.template.mui.
#include <cstddef>
#include <cstdint>

namespace tonilo {

struct ResourceString {
    uint16_t id;
    const char* text; // UTF-8
};

// Sorted by id, ids unique.
extern const ResourceString kEnglishStrings[];
extern const size_t kEnglishStringCount;

// Binary search; nothing when the table lacks the id.
const char* FindEnglishString(uint32_t id);

} // namespace tonilo
