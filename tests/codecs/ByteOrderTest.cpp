// Little-endian fields with their high bits set: a byte promoted to a signed
// int before its shift is the slip this catches.
#include <gtest/gtest.h>

#include <cstring>

#include "codecs/include/ByteOrder.h"

namespace tonilo {
namespace {

TEST(ByteOrder, FieldsWithTheirHighBitsSet) {
    const uint8_t bytes[] = {0xFE, 0xFF, 0x80, 0x81};
    EXPECT_EQ(ReadLe16(bytes), 0xFFFEu);
    EXPECT_EQ(ReadLe32(bytes), 0x8180FFFEu);
    uint8_t written[4] = {};
    WriteLe32(written, 0x8180FFFEu);
    EXPECT_EQ(0, std::memcmp(written, bytes, 4));
    std::string appended;
    AppendLe16(&appended, 0xFFFE);
    AppendLe32(&appended, 0x8180FFFEu);
    EXPECT_EQ(appended, std::string("\xFE\xFF\xFE\xFF\x80\x81", 6));
}

} // namespace
} // namespace tonilo
