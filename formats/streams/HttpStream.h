#pragma once
// A web address as a read-only byte stream, over libcurl. One GET request, HTTP
// 1.1, no caching, connection kept alive; only status 200 opens the stream. The
// transfer runs on the caller's thread inside Read, so bytes are taken as they
// arrive and a full buffer pauses the transfer until they are read.
//
// Time-outs: connecting is limited by the connect time-out; the answer's headers,
// and every later wait for body bytes, by the receive time-out. A read whose
// wait times out tries once more, so a stalled server fails a read after twice
// the receive time-out; a dropped connection ends the stream early.
//
// Threads: one thread at a time calls the stream; Interrupt may come from any
// thread and wakes a waiting read for good (used when the stream is torn down).
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include <curl/curl.h>

#include "formats/streams/StreamBase.h"

namespace tonilo {

class HttpStream : public StreamBase, public InterruptibleStream {
public:
    static constexpr int32_t kDefaultTimeoutMs = 30000;
    static constexpr const char* kAgentName = "Zelto HTTP Agent";

    // Sends the request; GetHandle answers kNoStreamHandle when the open failed
    // (bad address, scheme other than http or https, connect failure, time-out,
    // status other than 200).
    HttpStream(const char* url, int32_t connectTimeoutMs, int32_t receiveTimeoutMs);
    ~HttpStream() override;
    HttpStream(const HttpStream&) = delete;
    HttpStream& operator=(const HttpStream&) = delete;

    // True for names beginning with "http://" or "https://", in any case.
    static bool IsWebAddress(const char* name);
    // The time-outs the stream factories use; 30000 ms each unless changed (tests
    // shorten them).
    static void SetFactoryTimeouts(int32_t connectTimeoutMs, int32_t receiveTimeoutMs);
    static int32_t FactoryConnectTimeout();
    static int32_t FactoryReceiveTimeout();

    intptr_t GetHandle() override;
    [[nodiscard]] int32_t Read(void* buffer, int32_t count) override;
    // Origins 0, 1 and 2 (2 only with a known size), and 3, which sends the
    // request again from the start. A short step forward skips bytes; other
    // targets request again, with a Range header when the server offers ranges,
    // else from the start, skipping up to the target.
    int64_t Seek(int64_t offset, int32_t origin) override;
    int64_t Tell() override { return position_; }
    // Content-Length of the answer, -1 when the server sent none.
    int64_t GetSize() override { return size_.load(); }
    bool IsEnd() override;

    void Interrupt() override;

    // Status of the last answer (0 when none came).
    int32_t Status() const { return status_; }
    bool AcceptsRanges() const { return acceptsRanges_; }

private:
    bool Request(int64_t start, bool useRange);
    void CloseRequest();
    // Runs the transfer until done() holds, the transfer ends or nothing arrives
    // for limitMs; answers done().
    template <typename Done> bool RunTransferUntil(Done done, int32_t limitMs);
    void CollectFinishedTransfer();
    void Resume();
    size_t Available() const { return pending_.size() - pendingStart_; }
    void DropPending(size_t count);

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    void HeaderLine(const std::string& line);
    void HeadersComplete();

    const int32_t connectTimeoutMs_;
    const int32_t receiveTimeoutMs_;
    CURLM* multi_ = nullptr;
    CURL* easy_ = nullptr;
    curl_slist* headers_ = nullptr;

    std::atomic<bool> requestActive_{false}; // GetHandle may come from another thread
    bool transferDone_ = false;
    int transferResult_ = 0;
    bool failed_ = false;
    bool paused_ = false;
    std::atomic<bool> interrupted_{false};

    // The answer being received.
    int64_t requestedStart_ = 0;
    bool rangeRequested_ = false;
    bool headersDone_ = false;
    bool bodyWanted_ = false;
    int32_t status_ = 0;
    bool sawLocation_ = false;
    bool answerAcceptsRanges_ = false;
    int64_t rangeStart_ = -1;
    int64_t rangeTotal_ = -1;

    bool acceptsRanges_ = false;
    std::atomic<int64_t> size_{-1};
    int64_t position_ = 0;
    int64_t skip_ = 0; // body bytes still to drop before the position
    uint64_t bytesArrived_ = 0;
    std::vector<uint8_t> pending_;
    size_t pendingStart_ = 0;
};

} // namespace tonilo
