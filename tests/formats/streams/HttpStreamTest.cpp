#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "formats/streams/HttpStream.h"
#include "formats/streams/ReadAheadStream.h"
#include "formats/streams/StreamFactory.h"
#include "tests/support/StreamTestSupport.h"
#include "tests/support/TestHttpServer.h"
#include "tests/support/WaitUntil.h"

namespace tonilo {
namespace {

using testing::PatternBytes;
using testing::TestHttpServer;

constexpr int32_t kConnectMs = 2000;
constexpr int32_t kReceiveMs = 400;
constexpr size_t kBodySize = 700000; // larger than what the stream buffers before pausing
constexpr size_t kPausesAfter = 256 * 1024;

class HttpStreamTest : public ::testing::Test {
protected:
    HttpStreamTest() : server_(PatternBytes(kBodySize, 11)) {}
    void SetUp() override {
        ASSERT_TRUE(server_.IsRunning());
        HttpStream::SetFactoryTimeouts(kConnectMs, kReceiveMs);
    }
    void TearDown() override {
        HttpStream::SetFactoryTimeouts(HttpStream::kDefaultTimeoutMs,
                                       HttpStream::kDefaultTimeoutMs);
    }
    std::vector<uint8_t> ReadAll(ByteStream& stream, int32_t piece) {
        std::vector<uint8_t> all;
        std::vector<uint8_t> buffer(static_cast<size_t>(piece));
        int32_t got;
        while ((got = stream.Read(buffer.data(), piece)) > 0)
            all.insert(all.end(), buffer.begin(), buffer.begin() + got);
        return all;
    }
    bool Matches(const uint8_t* bytes, size_t offset, size_t count) {
        return std::memcmp(bytes, server_.Body().data() + offset, count) == 0;
    }
    // Reads 1000 bytes and tells whether they are the body's from offset on.
    bool ReadsBodyAt(ByteStream& stream, size_t offset) {
        uint8_t buffer[1000];
        return stream.Read(buffer, 1000) == 1000 && Matches(buffer, offset, 1000);
    }

    TestHttpServer server_;
};

TEST_F(HttpStreamTest, ReadsTheWholeBodyWithTheRequestItSent) {
    HttpStream stream(server_.Url("/file").c_str(), kConnectMs, kReceiveMs);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    EXPECT_EQ(stream.Status(), 200);
    EXPECT_EQ(stream.GetSize(), static_cast<int64_t>(kBodySize));
    EXPECT_TRUE(stream.AcceptsRanges());
    EXPECT_FALSE(stream.IsEnd());
    EXPECT_EQ(ReadAll(stream, 7001), server_.Body());
    EXPECT_EQ(stream.Tell(), static_cast<int64_t>(kBodySize));
    EXPECT_TRUE(stream.IsEnd());

    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 1u);
    const std::string& head = requests[0];
    EXPECT_EQ(head.rfind("GET /file HTTP/1.1\r\n", 0), 0u) << head;
    EXPECT_NE(head.find("User-Agent: Zelto HTTP Agent\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Cache-Control: no-cache\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Connection: Keep-Alive\r\n"), std::string::npos) << head;
    EXPECT_EQ(head.find("Range:"), std::string::npos) << head;
}

TEST_F(HttpStreamTest, NotFoundFailsToOpen) {
    HttpStream stream(server_.Url("/missing").c_str(), kConnectMs, kReceiveMs);
    EXPECT_EQ(stream.GetHandle(), kNoStreamHandle);
    EXPECT_EQ(stream.Status(), 404);
    uint8_t buffer[16];
    EXPECT_EQ(stream.Read(buffer, 16), 0);
    EXPECT_TRUE(stream.IsEnd());

    ByteStream* opened = reinterpret_cast<ByteStream*>(1);
    EXPECT_EQ(OpenReadStream(&opened, server_.Url("/missing").c_str(), 32768, 262144, true), -1);
    EXPECT_EQ(opened, nullptr);
}

TEST_F(HttpStreamTest, AnswerWithoutContentLengthHasSizeMinusOneAndEndsAtTheClose) {
    HttpStream stream(server_.Url("/nolength").c_str(), kConnectMs, kReceiveMs);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    EXPECT_EQ(stream.GetSize(), -1);
    EXPECT_FALSE(stream.IsEnd());
    EXPECT_EQ(stream.Seek(-10, 2), -1); // no end to count from
    EXPECT_EQ(ReadAll(stream, 65536), server_.Body());
    EXPECT_TRUE(stream.IsEnd());
}

TEST_F(HttpStreamTest, StalledServerFailsTheOpenAfterTheReceiveTimeout) {
    HttpStream stream(server_.Url("/stall").c_str(), kConnectMs, kReceiveMs);
    EXPECT_EQ(stream.GetHandle(), kNoStreamHandle);
}

TEST_F(HttpStreamTest, StalledBodyFailsTheReadWithWhatArrived) {
    HttpStream stream(server_.Url("/stallbody").c_str(), kConnectMs, kReceiveMs);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    std::vector<uint8_t> buffer(kBodySize);
    const int32_t got = stream.Read(buffer.data(), static_cast<int32_t>(kBodySize));
    EXPECT_EQ(got, static_cast<int32_t>(kBodySize / 2));
    EXPECT_TRUE(Matches(buffer.data(), 0, static_cast<size_t>(got)));
    EXPECT_TRUE(stream.IsEnd());
    EXPECT_EQ(stream.Read(buffer.data(), 10), 0);
}

TEST_F(HttpStreamTest, AReadThatTimesOutIsTriedOnceMore) {
    // The rest of the body comes after one and a half receive time-outs: the
    // first wait gives up, the second one gets it. The margins are half a
    // time-out each way, for a busy machine.
    constexpr int32_t kReceive = 2000;
    server_.SetLateBodyDelay(kReceive * 3 / 2);
    HttpStream stream(server_.Url("/latebody").c_str(), kConnectMs, kReceive);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    const auto all = ReadAll(stream, static_cast<int32_t>(kBodySize));
    EXPECT_EQ(all.size(), kBodySize);
    EXPECT_TRUE(Matches(all.data(), 0, all.size()));
}

TEST_F(HttpStreamTest, DroppedConnectionEndsTheStreamEarly) {
    HttpStream stream(server_.Url("/drop").c_str(), kConnectMs, 5000);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    const auto all = ReadAll(stream, 10000);
    EXPECT_EQ(all.size(), kBodySize / 2);
    EXPECT_TRUE(Matches(all.data(), 0, all.size()));
    EXPECT_TRUE(stream.IsEnd());
    EXPECT_LT(stream.Tell(), stream.GetSize());
}

TEST_F(HttpStreamTest, SeeksUseRangesWhenTheServerOffersThem) {
    HttpStream stream(server_.Url("/file").c_str(), kConnectMs, kReceiveMs);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    uint8_t buffer[1000];
    ASSERT_EQ(stream.Read(buffer, 1000), 1000);

    EXPECT_EQ(stream.Seek(600000, 0), 600000);
    EXPECT_TRUE(ReadsBodyAt(stream, 600000));
    EXPECT_EQ(stream.Seek(-100, 2), static_cast<int64_t>(kBodySize) - 100);
    EXPECT_EQ(stream.Read(buffer, 1000), 100);
    EXPECT_TRUE(Matches(buffer, kBodySize - 100, 100));
    EXPECT_TRUE(stream.IsEnd());
    EXPECT_EQ(stream.Seek(10, 0), 10);
    EXPECT_TRUE(ReadsBodyAt(stream, 10));

    // A short step forward skips within the same answer.
    const size_t requestsBefore = server_.RequestCount();
    EXPECT_EQ(stream.Seek(5000, 1), 6010);
    EXPECT_TRUE(ReadsBodyAt(stream, 6010));
    EXPECT_EQ(server_.RequestCount(), requestsBefore);

    // Origin 3 asks again from the start, without a range.
    EXPECT_EQ(stream.Seek(12345, 3), 0);
    EXPECT_EQ(stream.Tell(), 0);
    EXPECT_TRUE(ReadsBodyAt(stream, 0));

    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 4u); // the step to the last 100 bytes skipped too
    EXPECT_NE(requests[1].find("Range: bytes=600000-\r\n"), std::string::npos) << requests[1];
    EXPECT_NE(requests[2].find("Range: bytes=10-\r\n"), std::string::npos) << requests[2];
    EXPECT_EQ(requests.back().find("Range:"), std::string::npos) << requests.back();
    EXPECT_LT(server_.Connections(), static_cast<int>(requests.size())); // kept alive
}

TEST_F(HttpStreamTest, SlowReaderHoldsTheTransferBackAndCanStillSeek) {
    HttpStream stream(server_.Url("/file").c_str(), kConnectMs, kReceiveMs);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    // Let more of the answer sit in the socket than the stream buffers, then
    // take one byte: the stream buffers only part of it and pauses the transfer.
    ASSERT_TRUE(test::WaitUntil([&] { return server_.BodyBytesSent() > kPausesAfter; }));
    uint8_t buffer[1000];
    ASSERT_EQ(stream.Read(buffer, 1), 1);
    EXPECT_EQ(stream.Seek(500, 0), 500);
    EXPECT_TRUE(ReadsBodyAt(stream, 500));
    const auto rest = ReadAll(stream, 30000);
    ASSERT_EQ(rest.size(), kBodySize - 1500);
    EXPECT_TRUE(Matches(rest.data(), 1500, rest.size()));
}

TEST_F(HttpStreamTest, SeeksWithoutRangesRequestAgainAndSkip) {
    HttpStream stream(server_.Url("/norange").c_str(), kConnectMs, kReceiveMs);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    EXPECT_FALSE(stream.AcceptsRanges());
    EXPECT_EQ(stream.Seek(650000, 0), 650000);
    EXPECT_TRUE(ReadsBodyAt(stream, 650000));
    EXPECT_EQ(stream.Seek(3, 0), 3);
    EXPECT_TRUE(ReadsBodyAt(stream, 3));
    for (const auto& head : server_.Requests())
        EXPECT_EQ(head.find("Range:"), std::string::npos) << head;
    EXPECT_EQ(stream.Seek(-1, 0), -1);
    EXPECT_EQ(stream.Seek(0, 9), -1);
}

TEST_F(HttpStreamTest, ServerIgnoringARangeIsSkippedForward) {
    HttpStream stream(server_.Url("/ignorerange").c_str(), kConnectMs, kReceiveMs);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    EXPECT_TRUE(stream.AcceptsRanges());
    EXPECT_EQ(stream.Seek(650000, 0), 650000);
    EXPECT_TRUE(ReadsBodyAt(stream, 650000));
    const auto requests = server_.Requests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_NE(requests[1].find("Range: bytes=650000-\r\n"), std::string::npos) << requests[1];
}

TEST_F(HttpStreamTest, SeekToTheEndAsksNothingAndBackComesWithARange) {
    HttpStream stream(server_.Url("/file").c_str(), kConnectMs, kReceiveMs);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    EXPECT_EQ(stream.Seek(kBodySize, 0), static_cast<int64_t>(kBodySize));
    EXPECT_TRUE(stream.IsEnd());
    uint8_t buffer[10];
    EXPECT_EQ(stream.Read(buffer, 10), 0);
    EXPECT_EQ(stream.Seek(kBodySize - 4, 0), static_cast<int64_t>(kBodySize) - 4);
    EXPECT_EQ(stream.Read(buffer, 10), 4);
    EXPECT_TRUE(Matches(buffer, kBodySize - 4, 4));
}

TEST_F(HttpStreamTest, RedirectIsFollowed) {
    HttpStream stream(server_.Url("/redirect").c_str(), kConnectMs, kReceiveMs);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    EXPECT_EQ(stream.GetSize(), static_cast<int64_t>(kBodySize));
    uint8_t buffer[100];
    ASSERT_EQ(stream.Read(buffer, 100), 100);
    EXPECT_TRUE(Matches(buffer, 0, 100));
}

TEST_F(HttpStreamTest, BadAddressesFailCleanly) {
    for (const char* address : {"ftp://127.0.0.1/file", "http://", "http:///path", "nonsense",
                                "http://127.0.0.1:1/refused"}) {
        HttpStream stream(address, kConnectMs, kReceiveMs);
        EXPECT_EQ(stream.GetHandle(), kNoStreamHandle) << address;
        uint8_t buffer[4];
        EXPECT_EQ(stream.Read(buffer, 4), 0) << address;
        EXPECT_EQ(stream.Seek(0, 3), -1) << address;
    }
    // TLS spoken to a plain server: the handshake never completes.
    std::string secure = server_.Url("/file");
    secure.replace(0, 4, "https");
    HttpStream tls(secure.c_str(), kConnectMs, kReceiveMs);
    EXPECT_EQ(tls.GetHandle(), kNoStreamHandle);
    HttpStream none(nullptr, kConnectMs, kReceiveMs);
    EXPECT_EQ(none.GetHandle(), kNoStreamHandle);
}

TEST_F(HttpStreamTest, InterruptWakesAReadWaitingOnAStalledServer) {
    HttpStream stream(server_.Url("/stallbody").c_str(), kConnectMs, 60000);
    ASSERT_NE(stream.GetHandle(), kNoStreamHandle);
    std::thread interrupter([&stream] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        stream.Interrupt();
    });
    std::vector<uint8_t> buffer(kBodySize);
    const int32_t got = stream.Read(buffer.data(), static_cast<int32_t>(kBodySize));
    interrupter.join();
    EXPECT_LE(got, static_cast<int32_t>(kBodySize / 2));
    EXPECT_TRUE(Matches(buffer.data(), 0, static_cast<size_t>(got)));
    EXPECT_EQ(stream.Read(buffer.data(), 10), 0);
}

TEST_F(HttpStreamTest, PlayerStyleReadAheadReadsTheWholeBody) {
    ByteStream* stream = nullptr;
    ASSERT_EQ(OpenReadStream(&stream, server_.Url("/file").c_str(), kPlayerChunkSize,
                             kPlayerReadAheadSize, true),
              0);
    ASSERT_NE(dynamic_cast<ReadAheadStream*>(stream), nullptr);
    EXPECT_EQ(stream->GetSize(), static_cast<int64_t>(kBodySize));
    EXPECT_EQ(ReadAll(*stream, 5000), server_.Body());
    EXPECT_TRUE(stream->IsEnd());
    EXPECT_EQ(stream->Seek(123456, 0), 123456);
    uint8_t buffer[100];
    ASSERT_EQ(stream->Read(buffer, 100), 100);
    EXPECT_TRUE(Matches(buffer, 123456, 100));
    stream->Release();
}

TEST_F(HttpStreamTest, ReadAheadOverAStalledServerIsDestroyedPromptly) {
    for (int round = 0; round < 5; ++round) {
        ByteStream* stream = nullptr;
        HttpStream::SetFactoryTimeouts(kConnectMs, 60000);
        ASSERT_EQ(OpenReadStream(&stream, server_.Url("/stallbody").c_str(), kPlayerChunkSize,
                                 kPlayerReadAheadSize, true),
                  0);
        EXPECT_TRUE(round % 2 == 1 || ReadsBodyAt(*stream, 0));
        stream->Release(); // the fill thread is waiting on the server
    }
}

TEST_F(HttpStreamTest, FactoryRecognisesWebAddressesInAnyCase) {
    EXPECT_TRUE(HttpStream::IsWebAddress("HTTP://host/x"));
    EXPECT_TRUE(HttpStream::IsWebAddress("https://host/x"));
    EXPECT_FALSE(HttpStream::IsWebAddress("/music/http://x"));
    EXPECT_FALSE(HttpStream::IsWebAddress(nullptr));
    std::string upper = server_.Url("/file");
    upper.replace(0, 4, "HTTP");
    ByteStream* stream = nullptr;
    ASSERT_EQ(OpenPlainStream(&stream, upper.c_str(), true), 0);
    EXPECT_NE(dynamic_cast<HttpStream*>(stream), nullptr);
    stream->Release();
}

} // namespace
} // namespace tonilo
