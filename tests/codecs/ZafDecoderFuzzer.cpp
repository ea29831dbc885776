// Fuzzes the zaf decoder through the ByteStream interface.
#include "codecs/zaf/ZafDecoder.h"
#include "tests/codecs/DecoderFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tonilo::test::FuzzDecoder<tonilo::codecs::ZafDecoder>(data, size);
    return 0;
}
