#pragma once
// Opening byte streams by name, and the writers recordings go through. Each
// factory returns 0 and a stream in the out pointer, or -1 and null; the
// receiver releases the stream with Release.
#include <cstdint>

#include "formats/streams/BufferedWriter.h"
#include "formats/streams/StreamBase.h"

namespace tonilo {

// What the player reads through: nine 32768-byte chunks filled by a thread.
constexpr int32_t kPlayerChunkSize = 32768;
constexpr int32_t kPlayerReadAheadSize = 262144;

// Web addresses ("http://", "https://") give an HTTP stream with the factory
// time-outs, anything else a read-only file. A chunk size other than 0 wraps the
// stream in a read-ahead ring of that chunk size and read-ahead, filled by its
// own thread when threaded.
int32_t OpenReadStream(ByteStream** stream, const char* name, int32_t chunkSize,
                       int32_t readAheadSize, bool threaded);

// Web addresses as above; files read-only, or read-write and created when
// missing.
int32_t OpenPlainStream(ByteStream** stream, const char* name, bool readOnly);

// A writer over a descriptor it takes over, or over a new file (replacing one of
// the same name). *preSized (optional) tells whether growing the file to
// preSize bytes worked; 0 asks for no growing.
int32_t CreateWriter(BufferedWriter** writer, int descriptor, int32_t capacity, int64_t preSize,
                     bool* preSized);
int32_t CreateFileWriter(BufferedWriter** writer, const char* name, int32_t capacity,
                         int64_t preSize, bool* preSized);

} // namespace tonilo
