#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/AtomicFile.h"
#include "platform/TextEncoding.h"
#include "scheduler/Scheduler.h"
#include "tests/support/CrashDuringWrite.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

using test::ReadWholeFile;
using test::WriteWholeFile;

struct Bytes {
    std::string data;
    Bytes& Raw(const std::string& bytes) {
        data += bytes;
        return *this;
    }
    Bytes& U8(uint8_t value) {
        data.push_back(static_cast<char>(value));
        return *this;
    }
    Bytes& U16(uint16_t value) { return U8(value & 0xFF).U8(value >> 8); }
    Bytes& U32(uint32_t value) { return U16(value & 0xFFFF).U16(value >> 16); }
    Bytes& Chunk(const std::string& bytes) {
        U16(static_cast<uint16_t>(bytes.size()));
        return Raw(bytes);
    }
};

std::string Name(const char* text) {
    std::string bytes;
    AppendUtf16Le(&bytes, Utf8ToUtf16(text), true);
    return bytes;
}

// The fixed block of an event starting at the file time.
std::string Fixed(uint8_t enabled, uint64_t fileTime, uint32_t length, uint8_t repeat,
                  uint32_t action, uint32_t propertiesSize) {
    return Bytes()
        .U8(enabled)
        .U8(0)
        .U16(0)
        .U32(static_cast<uint32_t>(fileTime))
        .U32(static_cast<uint32_t>(fileTime >> 32))
        .U32(length)
        .U8(repeat)
        .U8(0)
        .U16(0)
        .U32(action)
        .U32(propertiesSize)
        .data;
}

// 2009-03-02 10:00 as a file time.
constexpr uint64_t kMonday10 = (1235988000ULL + 11644473600ULL) * 10000000ULL;
constexpr uint64_t kHour = 3600ULL * 10000000ULL;

class ScheduleFileTest : public ::testing::Test {
protected:
    void Start(Scheduler* scheduler) {
        scheduler->Initialise("/opt/Tonilo/tonilo", path_);
        scheduler->SetClock([] {
            LocalTime now;
            ParseLocalTime("2009-03-01 08:00", &now);
            return now;
        });
        scheduler->RegisterAction(MakeRecordAction());
        scheduler->RegisterAction(MakePlayAction());
    }

    std::string EventBytes(const char* name, uint64_t fileTime, const char* magic = "EVT1") {
        return Bytes()
            .Chunk(magic)
            .Chunk(Name(name))
            .Chunk(Fixed(1, fileTime, 1800, 0, kRecordActionId, 6))
            .Chunk(std::string("\x01\x00\x01\x01\x00\x00", 6))
            .data;
    }

    size_t LoadedCount(const std::string& bytes) {
        WriteWholeFile(path_, bytes);
        Scheduler scheduler;
        Start(&scheduler);
        return scheduler.Count();
    }

    test::ScratchFolder folder_;
    std::string path_ = folder_ / "tonilo.sch";
};

TEST_F(ScheduleFileTest, WritesTheFormatByteForByte) {
    Scheduler scheduler;
    Start(&scheduler);
    ScheduleEvent event;
    event.name = "Ab";
    event.enabled = 1;
    ParseLocalTime("2009-03-02 10:00", &event.start);
    event.length = 1800;
    event.repeat = 0x41;
    event.action = kRecordActionId;
    RecordProperties properties;
    properties.exitAfter = 1;
    event.properties = SerialiseProperties(properties);
    ASSERT_TRUE(scheduler.Add(event, false));
    ASSERT_TRUE(scheduler.Dirty());
    ASSERT_TRUE(scheduler.Save());
    EXPECT_FALSE(scheduler.Dirty());

    std::string expected = Bytes()
                               .Raw("SCH1")
                               .U8(1)
                               .Chunk("EVT1")
                               .Chunk(std::string("A\0b\0\0\0", 6))
                               .Chunk(Fixed(1, kMonday10, 1800, 0x41, 1218, 6))
                               .Chunk(std::string("\x01\x00\x01\x01\x00\x00", 6))
                               .data;
    EXPECT_EQ(ReadWholeFile(path_), expected);

    Scheduler reloaded;
    Start(&reloaded);
    ASSERT_EQ(reloaded.Count(), 1u);
    const ScheduleEvent* loaded = reloaded.Find("ab");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->start.dayOfWeek, 1); // filled in from the date
    EXPECT_EQ(reloaded.Serialise(), expected);
    EXPECT_FALSE(reloaded.Dirty());
}

TEST_F(ScheduleFileTest, HeaderChecks) {
    EXPECT_EQ(LoadedCount(""), 0u);
    EXPECT_EQ(LoadedCount("SCH1"), 0u);
    EXPECT_EQ(LoadedCount(Bytes().Raw("SCH2").U8(1).Raw(EventBytes("a", kMonday10)).data), 0u);
    EXPECT_EQ(LoadedCount(Bytes().Raw("SCH1").U8(1).Raw(EventBytes("a", kMonday10)).data), 1u);
    std::string many = Bytes().Raw("SCH1").U8(33).data;
    for (int i = 0; i < 33; ++i)
        many += EventBytes(("e" + std::to_string(i)).c_str(), kMonday10 + i * 24 * kHour);
    EXPECT_EQ(LoadedCount(many), 0u);
    many[4] = 32;
    EXPECT_EQ(LoadedCount(many), 32u);
}

TEST_F(ScheduleFileTest, OnlyThreeBytesOfTheEventMagicCount) {
    std::string file = Bytes()
                           .Raw("SCH1")
                           .U8(3)
                           .Raw(EventBytes("a", kMonday10, "EVTx"))
                           .Raw(EventBytes("b", kMonday10 + 24 * kHour, "EVX1"))
                           .Raw(EventBytes("c", kMonday10 + 48 * kHour))
                           .data;
    EXPECT_EQ(LoadedCount(file), 1u);
}

TEST_F(ScheduleFileTest, DamagedEventsEndLoadingAndInvalidOnesAreSkipped) {
    std::string head = Bytes().Raw("SCH1").U8(4).Raw(EventBytes("a", kMonday10)).data;
    // A duplicate name, an empty name and a collision are skipped; loading goes on.
    std::string file = head + EventBytes("A", kMonday10 + 24 * kHour) +
                       EventBytes("", kMonday10 + 48 * kHour) +
                       EventBytes("c", kMonday10 + kHour / 2);
    EXPECT_EQ(LoadedCount(file), 1u);
    file = head + EventBytes("b", kMonday10 + 24 * kHour) +
           EventBytes("c", kMonday10 + 48 * kHour) + EventBytes("d", kMonday10 + 72 * kHour);
    EXPECT_EQ(LoadedCount(file), 4u);

    // Cut anywhere: the whole events before the cut stay.
    const size_t eventSize = EventBytes("b", kMonday10).size();
    for (size_t cut = head.size(); cut < file.size(); ++cut)
        EXPECT_EQ(LoadedCount(file.substr(0, cut)), 1u + (cut - head.size()) / eventSize) << cut;

    auto withEvent = [&](const std::string& event) { return LoadedCount(head + event); };
    // A name chunk over 520 bytes, a fixed block of the wrong size, properties of
    // another size than announced, a start no calendar holds.
    EXPECT_EQ(withEvent(Bytes().Chunk("EVT1").Chunk(std::string(522, 'n')).data), 1u);
    EXPECT_EQ(withEvent(Bytes().Chunk("EVT1").Chunk(Name("x")).Chunk(std::string(27, '\0')).data),
              1u);
    EXPECT_EQ(withEvent(Bytes()
                            .Chunk("EVT1")
                            .Chunk(Name("x"))
                            .Chunk(Fixed(1, kMonday10 + 96 * kHour, 60, 0, kRecordActionId, 7))
                            .Chunk(std::string(6, '\0'))
                            .data),
              1u);
    EXPECT_EQ(withEvent(Bytes()
                            .Chunk("EVT1")
                            .Chunk(Name("x"))
                            .Chunk(Fixed(1, 0xFFFFFFFFFFFFFFFFULL, 60, 0, kRecordActionId, 0))
                            .data),
              1u);
    // A name of 260 units without its terminator is skipped; the event after stays.
    std::string longName = Bytes()
                               .Chunk("EVT1")
                               .Chunk(std::string(520, 'n'))
                               .Chunk(Fixed(1, kMonday10 + 96 * kHour, 60, 0, kRecordActionId, 0))
                               .data;
    std::string file2 = Bytes().Raw("SCH1").U8(3).Raw(EventBytes("a", kMonday10)).data + longName +
                        EventBytes("z", kMonday10 + 120 * kHour);
    EXPECT_EQ(LoadedCount(file2), 2u);
}

TEST_F(ScheduleFileTest, TheFileIsReadOnceAndAnEmptyListDeletesIt) {
    WriteWholeFile(path_, Bytes().Raw("SCH1").U8(1).Raw(EventBytes("a", kMonday10)).data);
    Scheduler scheduler;
    Start(&scheduler);
    ASSERT_EQ(scheduler.Count(), 1u);
    WriteWholeFile(path_, "SCH1\0");
    scheduler.Load();
    EXPECT_EQ(scheduler.Count(), 1u); // the list in memory is what counts now
    ASSERT_TRUE(scheduler.Remove("a"));
    ASSERT_TRUE(scheduler.Save());
    EXPECT_TRUE(test::FolderEntries(folder_.Path()).empty());
    EXPECT_TRUE(scheduler.Save());
}

TEST_F(ScheduleFileTest, ASaveDyingAtAnyStepLeavesALoadableFile) {
    Scheduler before;
    Start(&before);
    ScheduleEvent event = ScheduleEvent::New(LocalTime{});
    event.action = kRecordActionId;
    event.name = "old";
    ParseLocalTime("2009-03-02 10:00", &event.start);
    ASSERT_TRUE(before.Add(event, false));
    ASSERT_TRUE(before.Save());
    const std::string old = ReadWholeFile(path_);

    Scheduler after;
    Start(&after);
    after.Load();
    for (int day = 3; day < 30; ++day) {
        event.name = "new " + std::to_string(day);
        ParseLocalTime("2009-03-" + std::string(day < 10 ? "0" : "") + std::to_string(day) +
                           " 10:00",
                       &event.start);
        ASSERT_TRUE(after.Add(event, false));
    }
    for (int step = 0; step <= static_cast<int>(AtomicWriteStep::FlushFolder); ++step) {
        ASSERT_TRUE(test::WriteDiesAt(static_cast<AtomicWriteStep>(step), [&] { after.Save(); }));
        Scheduler loaded;
        Start(&loaded);
        bool renamed = step == static_cast<int>(AtomicWriteStep::FlushFolder);
        EXPECT_EQ(loaded.Count(), renamed ? 28u : 1u) << step;
        WriteWholeFile(path_, old);
    }
}

} // namespace
} // namespace tonilo
