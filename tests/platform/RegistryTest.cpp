#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RegistryStore::UseDatabase(path_); }

    test::ScratchFolder scratch_;
    const std::string& folder_ = scratch_.Path();
    std::string path_ = scratch_.Path("registry.db");
};

TEST_F(RegistryTest, TrailingBackslashesOpenTheSameKey) {
    RegistryKey writer("Software\\Zelto\\", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(writer.Open(nullptr, true));
    ASSERT_TRUE(writer.WriteNumber("Answer", 42));
    RegistryKey reader("\\Software\\Zelto", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reader.Open());
    uint32_t value = 0;
    ASSERT_TRUE(reader.ReadNumber("answer", &value)); // names ignore case
    EXPECT_EQ(value, 42u);
    // Other roots are other trees.
    RegistryKey user("Software\\Zelto", HKEY_CURRENT_USER);
    EXPECT_FALSE(user.Open());
}

TEST_F(RegistryTest, StringCapacityCutsAndTerminates) {
    ASSERT_TRUE(
        WriteStringAt(HKEY_LOCAL_MACHINE, "Software\\T", "Long", std::string(100, 'x').c_str()));
    std::string text;
    ASSERT_TRUE(ReadStringAt(HKEY_LOCAL_MACHINE, "Software\\T", "Long", &text, 64));
    EXPECT_EQ(text, std::string(63, 'x'));
    // Capacity counts what the registry stores (UTF-16 code units), not UTF-8 bytes.
    ASSERT_TRUE(WriteStringAt(HKEY_LOCAL_MACHINE, "Software\\T", "Accents", "\xC3\xA9t\xC3\xA9"));
    ASSERT_TRUE(ReadStringAt(HKEY_LOCAL_MACHINE, "Software\\T", "Accents", &text, 3));
    EXPECT_EQ(text, "\xC3\xA9t");
    RegistryKey key("Software\\T", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.Open());
    EXPECT_TRUE(key.ReadString("Long", nullptr)); // existence only
    EXPECT_FALSE(key.ReadString("Missing", &text));
}

TEST_F(RegistryTest, EmptyStringIsTheTerminatorAlone) {
    RegistryKey key("Software\\T", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.Open(nullptr, true));
    ASSERT_TRUE(key.WriteString("Empty", ""));
    std::string raw;
    ASSERT_TRUE(key.ReadRaw("Empty", &raw));
    EXPECT_EQ(key.LastType(), REG_SZ);
    EXPECT_EQ(raw, std::string(2, '\0'));
    EXPECT_FALSE(key.WriteString("Null", static_cast<const char*>(nullptr)));
}

TEST_F(RegistryTest, NumberFromWrongSizedValueKeepsTheDefault) {
    RegistryKey key("Software\\T", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.Open(nullptr, true));
    const uint8_t two[2] = {1, 2};
    ASSERT_TRUE(key.WriteBinary("Short", two, 2));
    uint32_t value = 7;
    EXPECT_FALSE(key.ReadNumber("Short", &value));
    EXPECT_EQ(value, 7u);
    EXPECT_FALSE(key.ReadNumber("Missing", &value));
    EXPECT_EQ(value, 7u);
    // A 4-byte binary value reads as a number, as the platform's does.
    const uint8_t four[4] = {0x78, 0x56, 0x34, 0x12};
    ASSERT_TRUE(key.WriteBinary("Four", four, 4));
    EXPECT_TRUE(key.ReadNumber("Four", &value));
    EXPECT_EQ(value, 0x12345678u);
}

TEST_F(RegistryTest, OpenWithoutCreateFailsAndCreateMakesParents) {
    RegistryKey key("Software\\A\\B\\C", HKEY_LOCAL_MACHINE);
    EXPECT_FALSE(key.Open());
    EXPECT_FALSE(key.WriteNumber("X", 1)); // nothing open
    EXPECT_FALSE(key.Flush());
    ASSERT_TRUE(key.Open(nullptr, true));
    EXPECT_TRUE(key.Flush());
    RegistryKey parent("Software\\A", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(parent.Open());
    std::string name;
    ASSERT_TRUE(parent.EnumerateSubKey(0, &name));
    EXPECT_EQ(name, "B");
    EXPECT_FALSE(parent.EnumerateSubKey(1, &name));
    // Open with a sub-path.
    ASSERT_TRUE(parent.Open("B\\C"));
    EXPECT_EQ(parent.OpenPath(), "Software\\A\\B\\C");
}

TEST_F(RegistryTest, DeleteSubKeyTakesEverythingBelowButNotLookalikes) {
    ASSERT_TRUE(WriteStringAt(HKEY_LOCAL_MACHINE, "Software\\F\\Wav\\Deep", "V", "1"));
    ASSERT_TRUE(WriteStringAt(HKEY_LOCAL_MACHINE, "Software\\F\\Wave", "V", "2"));
    RegistryKey formats("Software\\F", HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(formats.DeleteSubKey("WAV"));
    RegistryStore& store = RegistryStore::Instance();
    EXPECT_FALSE(store.KeyExists(HKEY_LOCAL_MACHINE, "Software\\F\\Wav\\Deep"));
    EXPECT_FALSE(store.GetValue(HKEY_LOCAL_MACHINE, "Software\\F\\Wav\\Deep", "V", nullptr));
    std::string text;
    EXPECT_TRUE(ReadStringAt(HKEY_LOCAL_MACHINE, "Software\\F\\Wave", "V", &text));
    EXPECT_EQ(text, "2");
    EXPECT_FALSE(formats.DeleteSubKey("Missing"));
}

TEST_F(RegistryTest, DeleteValueAndWriteOverKeepOneValue) {
    ASSERT_TRUE(WriteStringAt(HKEY_CURRENT_USER, "K", "Name", "first"));
    ASSERT_TRUE(WriteStringAt(HKEY_CURRENT_USER, "K", "NAME", "second"));
    auto values = RegistryStore::Instance().Values(HKEY_CURRENT_USER, "K");
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].name, "Name");
    EXPECT_TRUE(DeleteValueAt(HKEY_CURRENT_USER, "K", "name"));
    EXPECT_FALSE(DeleteValueAt(HKEY_CURRENT_USER, "K", "name"));
}

TEST_F(RegistryTest, DamagedPageInsideARealDatabaseIsFound) {
    for (int i = 0; i < 200; ++i)
        ASSERT_TRUE(WriteStringAt(HKEY_LOCAL_MACHINE, ("Software\\K" + std::to_string(i)).c_str(),
                                  "V", std::string(300, 'v').c_str()));
    RegistryStore::UseDatabase(folder_ + "/other.db"); // close the file
    std::string wal = path_ + "-wal";
    std::filesystem::remove(wal);
    {
        std::fstream file(path_, std::ios::in | std::ios::out | std::ios::binary);
        file.seekp(4096 * 2); // the page header and cell pointers of a table page
        for (int i = 0; i < 200; ++i)
            file.put('\x5a');
    }
    testing::internal::CaptureStderr();
    RegistryStore::UseDatabase(path_);
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_TRUE(std::filesystem::exists(path_ + ".corrupt")) << said;
    EXPECT_TRUE(RegistryStore::Instance().IsOpen());
}

TEST_F(RegistryTest, TwoProcessesWritingAtOnceLoseNothing) {
    constexpr int kEach = 150;
    RegistryStore::UseDatabase(folder_ + "/unused.db");
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            RegistryStore store(path_);
            bool ok = store.IsOpen();
            for (int i = 0; ok && i < kEach; ++i) {
                std::string key =
                    "Software\\P" + std::to_string(child) + "\\K" + std::to_string(i % 7);
                ok = store.CreateKey(HKEY_LOCAL_MACHINE, key) &&
                     store.SetValue(HKEY_LOCAL_MACHINE, key, "V" + std::to_string(i), REG_DWORD,
                                    std::string(4, static_cast<char>(i)));
            }
            _exit(ok ? 0 : 1);
        }
    }
    for (pid_t child : children) {
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 0);
    }
    RegistryStore::UseDatabase(path_);
    RegistryStore& store = RegistryStore::Instance();
    for (int child = 0; child < 2; ++child) {
        size_t count = 0;
        std::string parent = "Software\\P" + std::to_string(child);
        for (const std::string& key : store.SubKeys(HKEY_LOCAL_MACHINE, parent))
            count += store.Values(HKEY_LOCAL_MACHINE, parent + "\\" + key).size();
        EXPECT_EQ(count, static_cast<size_t>(kEach));
    }
}

} // namespace
} // namespace tonilo
