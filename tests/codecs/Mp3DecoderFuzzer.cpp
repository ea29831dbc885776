// Fuzzes the mp3 decoder through the ByteStream interface.
#include "codecs/mp3/Mp3Decoder.h"
#include "tests/codecs/DecoderFuzzing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tonilo::test::FuzzDecoder<tonilo::codecs::Mp3Decoder>(data, size);
    return 0;
}
