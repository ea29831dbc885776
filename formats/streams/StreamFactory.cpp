#include "formats/streams/StreamFactory.h"

#include <cerrno>
#include <fcntl.h>
#include <new>
#include <unistd.h>

#include "formats/streams/FileStream.h"
#include "formats/streams/HttpStream.h"
#include "formats/streams/ReadAheadStream.h"

namespace tonilo {

namespace {

// Hands out a freshly built stream, or releases one that opened nothing.
template <typename Stream> int32_t Deliver(Stream* built, Stream** out) {
    if (built != nullptr && built->GetHandle() == kNoStreamHandle) {
        built->Release();
        built = nullptr;
    }
    *out = built;
    return built != nullptr ? 0 : -1;
}

} // namespace

int32_t OpenPlainStream(ByteStream** stream, const char* name, bool readOnly) {
    if (stream == nullptr)
        return -1;
    *stream = nullptr;
    if (name == nullptr)
        return -1;
    ByteStream* built;
    if (HttpStream::IsWebAddress(name))
        built = new (std::nothrow) HttpStream(name, HttpStream::FactoryConnectTimeout(),
                                              HttpStream::FactoryReceiveTimeout());
    else
        built = new (std::nothrow) FileStream(name, readOnly);
    return Deliver(built, stream);
}

int32_t OpenReadStream(ByteStream** stream, const char* name, int32_t chunkSize,
                       int32_t readAheadSize, bool threaded) {
    if (OpenPlainStream(stream, name, true) != 0)
        return -1;
    if (chunkSize == 0)
        return 0;
    ByteStream* inner = *stream;
    ByteStream* ring =
        new (std::nothrow) ReadAheadStream(inner, true, chunkSize, readAheadSize, threaded);
    if (ring == nullptr)
        inner->Release();
    return Deliver(ring, stream);
}

int32_t CreateWriter(BufferedWriter** writer, int descriptor, int32_t capacity, int64_t preSize,
                     bool* preSized) {
    if (preSized != nullptr)
        *preSized = false;
    if (writer == nullptr) {
        if (descriptor >= 0)
            ::close(descriptor);
        return -1;
    }
    auto* built = new (std::nothrow) BufferedWriter(descriptor, capacity, preSize, preSized);
    if (built == nullptr && descriptor >= 0)
        ::close(descriptor);
    return Deliver(built, writer);
}

int32_t CreateFileWriter(BufferedWriter** writer, const char* name, int32_t capacity,
                         int64_t preSize, bool* preSized) {
    if (preSized != nullptr)
        *preSized = false;
    if (writer == nullptr)
        return -1;
    *writer = nullptr;
    if (name == nullptr || *name == '\0')
        return -1;
    int descriptor;
    do {
        descriptor = ::open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0)
        return -1;
    return CreateWriter(writer, descriptor, capacity, preSize, preSized);
}

} // namespace tonilo
