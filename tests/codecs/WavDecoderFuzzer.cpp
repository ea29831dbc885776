// Fuzzes the wav decoder through the ByteStream interface.
#include "codecs/wav/WavDecoder.h"
#include "tests/codecs/DecoderFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tonilo::test::FuzzDecoder<tonilo::codecs::WavDecoder>(data, size);
    return 0;
}
