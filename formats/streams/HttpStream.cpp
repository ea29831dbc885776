#include "formats/streams/HttpStream.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <mutex>
#include <strings.h>

namespace tonilo {

namespace {

// Received bytes beyond this wait in the socket until they are read.
constexpr size_t kPauseThreshold = 256 * 1024;
// A forward seek closer than this skips bytes instead of asking again.
constexpr int64_t kForwardSkipLimit = 256 * 1024;
constexpr long kMaxRedirects = 5;

std::atomic<int32_t> gFactoryConnectTimeout{HttpStream::kDefaultTimeoutMs};
std::atomic<int32_t> gFactoryReceiveTimeout{HttpStream::kDefaultTimeoutMs};

void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    return strncasecmp(text.c_str(), prefix, std::strlen(prefix)) == 0;
}

std::string ValueAfterColon(const std::string& line) {
    size_t begin = line.find(':');
    if (begin == std::string::npos)
        return {};
    ++begin;
    while (begin < line.size() && (line[begin] == ' ' || line[begin] == '\t'))
        ++begin;
    size_t end = line.size();
    while (end > begin && (line[end - 1] == '\r' || line[end - 1] == '\n' || line[end - 1] == ' '))
        --end;
    return line.substr(begin, end - begin);
}

bool SchemeIsWeb(const char* url) {
    CURLU* parsed = curl_url();
    if (parsed == nullptr)
        return false;
    bool ok = false;
    char* scheme = nullptr;
    char* host = nullptr;
    if (curl_url_set(parsed, CURLUPART_URL, url, 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
        curl_url_get(parsed, CURLUPART_HOST, &host, 0) == CURLUE_OK)
        ok = (strcasecmp(scheme, "http") == 0 || strcasecmp(scheme, "https") == 0) && *host != '\0';
    curl_free(scheme);
    curl_free(host);
    curl_url_cleanup(parsed);
    return ok;
}

} // namespace

bool HttpStream::IsWebAddress(const char* name) {
    return name != nullptr &&
           (strncasecmp(name, "http://", 7) == 0 || strncasecmp(name, "https://", 8) == 0);
}

void HttpStream::SetFactoryTimeouts(int32_t connectTimeoutMs, int32_t receiveTimeoutMs) {
    gFactoryConnectTimeout = connectTimeoutMs;
    gFactoryReceiveTimeout = receiveTimeoutMs;
}

int32_t HttpStream::FactoryConnectTimeout() {
    return gFactoryConnectTimeout;
}
int32_t HttpStream::FactoryReceiveTimeout() {
    return gFactoryReceiveTimeout;
}

HttpStream::HttpStream(const char* url, int32_t connectTimeoutMs, int32_t receiveTimeoutMs)
    : connectTimeoutMs_(std::max(connectTimeoutMs, 1)),
      receiveTimeoutMs_(std::max(receiveTimeoutMs, 1)) {
    if (url == nullptr || !IsWebAddress(url) || !SchemeIsWeb(url))
        return;
    InitialiseCurlOnce();
    multi_ = curl_multi_init();
    easy_ = curl_easy_init();
    if (multi_ == nullptr || easy_ == nullptr)
        return;
    headers_ = curl_slist_append(headers_, "Cache-Control: no-cache");
    headers_ = curl_slist_append(headers_, "Pragma: no-cache");
    headers_ = curl_slist_append(headers_, "Connection: Keep-Alive");
    curl_easy_setopt(easy_, CURLOPT_URL, url);
    curl_easy_setopt(easy_, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy_, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy_, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(easy_, CURLOPT_USERAGENT, kAgentName);
    curl_easy_setopt(easy_, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy_, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy_, CURLOPT_HTTPHEADER, headers_);
    curl_easy_setopt(easy_, CURLOPT_PROXY, ""); // direct access, as the player always had
    curl_easy_setopt(easy_, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(connectTimeoutMs_));
    curl_easy_setopt(easy_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy_, CURLOPT_TCP_KEEPALIVE, 1L);
    curl_easy_setopt(easy_, CURLOPT_HEADERFUNCTION, &HttpStream::OnHeader);
    curl_easy_setopt(easy_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy_, CURLOPT_WRITEFUNCTION, &HttpStream::OnBody);
    curl_easy_setopt(easy_, CURLOPT_WRITEDATA, this);
    if (!Request(0, false))
        return;
    if (status_ != 200) {
        CloseRequest();
        return;
    }
}

HttpStream::~HttpStream() {
    CloseRequest();
    if (easy_ != nullptr)
        curl_easy_cleanup(easy_);
    if (multi_ != nullptr)
        curl_multi_cleanup(multi_);
    curl_slist_free_all(headers_);
}

intptr_t HttpStream::GetHandle() {
    return requestActive_ ? reinterpret_cast<intptr_t>(easy_) : kNoStreamHandle;
}

void HttpStream::Interrupt() {
    interrupted_ = true;
    if (multi_ != nullptr)
        curl_multi_wakeup(multi_);
}

void HttpStream::CloseRequest() {
    if (requestActive_) {
        // Whatever a paused transfer still holds is dropped, and the handle
        // leaves unpaused for the next request.
        bodyWanted_ = false;
        if (paused_)
            curl_easy_pause(easy_, CURLPAUSE_CONT);
        curl_multi_remove_handle(multi_, easy_);
    }
    requestActive_ = false;
    paused_ = false;
    pending_.clear();
    pendingStart_ = 0;
    skip_ = 0;
}

void HttpStream::CollectFinishedTransfer() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &left)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == easy_) {
            transferDone_ = true;
            transferResult_ = message->data.result;
        }
    }
}

template <typename Done> bool HttpStream::RunTransferUntil(Done done, int32_t limitMs) {
    using Clock = std::chrono::steady_clock;
    auto lastArrival = Clock::now();
    uint64_t arrivedBefore = bytesArrived_;
    for (;;) {
        if (interrupted_)
            return false;
        int running = 0;
        curl_multi_perform(multi_, &running);
        CollectFinishedTransfer();
        if (done())
            return true;
        if (transferDone_ || interrupted_)
            return done();
        const auto now = Clock::now();
        if (bytesArrived_ != arrivedBefore) {
            arrivedBefore = bytesArrived_;
            lastArrival = now;
        }
        const auto waited =
            std::chrono::duration_cast<std::chrono::milliseconds>(now - lastArrival).count();
        if (waited >= limitMs)
            return false;
        const int slice = static_cast<int>(std::min<int64_t>(limitMs - waited, 1000));
        curl_multi_poll(multi_, nullptr, 0, slice, nullptr);
    }
}

bool HttpStream::Request(int64_t start, bool useRange) {
    if (multi_ == nullptr || easy_ == nullptr || interrupted_)
        return false;
    CloseRequest();
    transferDone_ = false;
    transferResult_ = 0;
    failed_ = false;
    headersDone_ = false;
    bodyWanted_ = false;
    status_ = 0;
    requestedStart_ = start;
    rangeRequested_ = useRange && start > 0;
    const std::string range = std::to_string(start) + "-";
    curl_easy_setopt(easy_, CURLOPT_RANGE, rangeRequested_ ? range.c_str() : nullptr);
    if (curl_multi_add_handle(multi_, easy_) != CURLM_OK)
        return false;
    requestActive_ = true;
    if (!RunTransferUntil([this] { return headersDone_; }, receiveTimeoutMs_) || !bodyWanted_) {
        CloseRequest();
        return false;
    }
    position_ = start;
    return true;
}

size_t HttpStream::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* stream = static_cast<HttpStream*>(self);
    stream->HeaderLine(std::string(data, size * count));
    return size * count;
}

void HttpStream::HeaderLine(const std::string& line) {
    if (StartsWithNoCase(line, "HTTP/")) {
        // A new answer begins (after an interim one or a redirect).
        const size_t space = line.find(' ');
        status_ = space == std::string::npos ? 0 : std::atoi(line.c_str() + space + 1);
        sawLocation_ = false;
        answerAcceptsRanges_ = false;
        rangeStart_ = -1;
        rangeTotal_ = -1;
    } else if (StartsWithNoCase(line, "Location:")) {
        sawLocation_ = true;
    } else if (StartsWithNoCase(line, "Accept-Ranges:")) {
        answerAcceptsRanges_ = strcasecmp(ValueAfterColon(line).c_str(), "bytes") == 0;
    } else if (StartsWithNoCase(line, "Content-Range:")) {
        long long first = -1, last = -1, total = -1;
        const std::string value = ValueAfterColon(line);
        if (std::sscanf(value.c_str(), "bytes %lld-%lld/%lld", &first, &last, &total) >= 2) {
            rangeStart_ = first;
            rangeTotal_ = total;
        }
    } else if (line == "\r\n" || line == "\n") {
        HeadersComplete();
    }
}

void HttpStream::HeadersComplete() {
    const bool interim = status_ >= 100 && status_ < 200;
    const bool redirected = status_ >= 300 && status_ < 400 && sawLocation_;
    if (interim || redirected)
        return;
    headersDone_ = true;
    curl_off_t length = -1;
    curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
    if (status_ == 200) {
        // A whole answer: a server that ignored the range is skipped forward.
        bodyWanted_ = true;
        skip_ = requestedStart_;
        size_ = length >= 0 ? static_cast<int64_t>(length) : -1;
        acceptsRanges_ = answerAcceptsRanges_;
    } else if (status_ == 206 && rangeRequested_ && rangeStart_ >= 0 &&
               rangeStart_ <= requestedStart_) {
        bodyWanted_ = true;
        skip_ = requestedStart_ - rangeStart_;
        if (rangeTotal_ >= 0)
            size_ = rangeTotal_;
        acceptsRanges_ = true;
    }
}

size_t HttpStream::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* stream = static_cast<HttpStream*>(self);
    size_t length = size * count;
    if (stream->interrupted_)
        return 0; // aborts the transfer
    if (!stream->bodyWanted_)
        return length; // the text of an error answer
    if (stream->Available() >= kPauseThreshold) {
        stream->paused_ = true;
        return CURL_WRITEFUNC_PAUSE; // the same bytes come again on resume
    }
    stream->bytesArrived_ += length;
    if (stream->skip_ > 0) {
        const size_t dropped = static_cast<size_t>(std::min<int64_t>(stream->skip_, length));
        stream->skip_ -= dropped;
        data += dropped;
        length -= dropped;
    }
    if (stream->pendingStart_ > 0 && stream->pendingStart_ == stream->pending_.size()) {
        stream->pending_.clear();
        stream->pendingStart_ = 0;
    }
    stream->pending_.insert(stream->pending_.end(), data, data + length);
    return size * count;
}

void HttpStream::Resume() {
    if (paused_ && requestActive_) {
        paused_ = false;
        curl_easy_pause(easy_, CURLPAUSE_CONT);
    }
}

void HttpStream::DropPending(size_t count) {
    pendingStart_ += count;
    if (pendingStart_ == pending_.size()) {
        pending_.clear();
        pendingStart_ = 0;
    } else if (pendingStart_ >= kPauseThreshold) {
        pending_.erase(pending_.begin(), pending_.begin() + static_cast<ptrdiff_t>(pendingStart_));
        pendingStart_ = 0;
    }
}

int32_t HttpStream::Read(void* buffer, int32_t count) {
    if (buffer == nullptr || count < 1 || failed_)
        return 0;
    auto* bytes = static_cast<uint8_t*>(buffer);
    int32_t copied = 0;
    bool retried = false;
    while (copied < count) {
        const size_t available = Available();
        if (available > 0) {
            const size_t length = std::min(available, static_cast<size_t>(count - copied));
            std::memcpy(bytes + copied, pending_.data() + pendingStart_, length);
            DropPending(length);
            copied += static_cast<int32_t>(length);
            continue;
        }
        if (!requestActive_ || transferDone_ || interrupted_)
            break;
        Resume();
        if (!RunTransferUntil([this] { return Available() > 0; }, receiveTimeoutMs_)) {
            // A wait that timed out is given one more receive time-out: a slow
            // network or a briefly busy server does not end the stream.
            if (!transferDone_ && !interrupted_ && !retried) {
                retried = true;
                continue;
            }
            if (!transferDone_) {
                // Stalled past the receive time-out, or torn down.
                failed_ = true;
                CloseRequest();
            }
            if (Available() == 0)
                break;
        }
    }
    position_ += copied;
    return copied;
}

int64_t HttpStream::Seek(int64_t offset, int32_t origin) {
    if (easy_ == nullptr)
        return -1;
    if (origin == 3)
        return Request(0, false) ? 0 : -1;
    const int64_t target = SeekTarget(offset, origin, position_, size_);
    if (target < 0)
        return -1;
    if (target == position_ && !failed_)
        return target;
    if (size_ >= 0 && target >= size_) {
        // Nothing to fetch at or past the end.
        CloseRequest();
        failed_ = false;
        position_ = target;
        return target;
    }
    const int64_t ahead = target - position_;
    const bool streamAlive = requestActive_ && !failed_;
    if (streamAlive && ahead > 0 && (ahead <= kForwardSkipLimit || !acceptsRanges_)) {
        const size_t dropped = static_cast<size_t>(std::min<int64_t>(ahead, Available()));
        DropPending(dropped);
        skip_ += ahead - static_cast<int64_t>(dropped);
        position_ = target;
        return target;
    }
    if (!Request(target, acceptsRanges_)) {
        failed_ = true;
        position_ = target;
        return -1;
    }
    return target;
}

bool HttpStream::IsEnd() {
    if (failed_)
        return true;
    if (Available() > 0)
        return false;
    if (!requestActive_ || transferDone_)
        return true;
    const int64_t size = size_;
    return size >= 0 && position_ >= size;
}

} // namespace tonilo
