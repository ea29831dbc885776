#include "platform/LanguageResources.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "platform/EnglishStrings.h"
#include "platform/RegistryKey.h"
#include "platform/RegistryStore.h"
#include "platform/TextEncoding.h"
#include "tests/support/ScratchFolder.h"

namespace tonilo {
namespace {

namespace fs = std::filesystem;

constexpr const char* kKeyName = "Tonilo";
constexpr uint32_t kErrorId = 36002; // "Cannot open file!" in English

// A program folder of its own with a registry of its own for every test.
class LanguageResourcesTest : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(folder_ / "Lang");
        RegistryStore::UseDatabase((folder_ / "registry.db").string());
        executable_ = (folder_ / "tonilo").string();
    }
    void TearDown() override { ReleaseResources(); }

    void WriteFile(const std::string& relative, const std::string& content) {
        std::ofstream file(folder_ / relative, std::ios::binary);
        file << content;
    }
    void SetLanguage(uint32_t language) {
        RegistryKey key(std::string("Software\\Zelto\\") + kKeyName, HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(key.Open(nullptr, true));
        ASSERT_TRUE(key.WriteNumber("LangID", language));
    }
    bool Select(const char* libraryName = "Lang/Tonilo") {
        return SelectResources(executable_, kKeyName, libraryName);
    }

    test::ScratchFolder scratch_;
    fs::path folder_ = scratch_.Path();
    std::string executable_;
};

// Which file a language setting leads to, each case in a fresh folder and
// registry. An empty path means the built-in English table.
TEST_F(LanguageResourcesTest, LanguageSettingPicksTheFileOrEnglish) {
    const char* const english = "Cannot open file!";
    const struct {
        const char* what;
        int64_t langId; // -1: no LangID value at all
        std::vector<std::pair<const char*, const char*>> files;
        const char* library;
        bool selected;
        uint32_t language;
        const char* path;
        const char* text;
    } cases[] = {
        {"no LangID: English built in, no file opened",
         -1,
         {{"Lang/Tonilo.0409.mui", "36002\tfrom the 0409 file\n"},
          {"Lang/Tonilo.0407.mui", "36002\tDeutsch\n"}},
         "Lang/Tonilo",
         true,
         0x409,
         "",
         english},
        {"missing language falls back to the 0409 file",
         0x407,
         {{"Lang/Tonilo.0409.mui", "36002\tEnglish from the file\n"}},
         "Lang/Tonilo",
         true,
         0x409,
         "Lang/Tonilo.0409.mui",
         "English from the file"},
        {"no file at all", 0x40c, {}, "Lang/Tonilo", false, 0x409, "", english},
        {"LangID 0 means 0409",
         0,
         {{"Lang/Tonilo.0000.mui", "36002\tnever read\n"},
          {"Lang/Tonilo.0407.mui", "36002\tDeutsch\n"}},
         "Lang/Tonilo",
         true,
         0x409,
         "",
         english},
        {"only the low 16 bits count",
         0x10407,
         {{"Lang/Tonilo.0407.mui", "36002\tDeutsch\n"}},
         "Lang/Tonilo",
         true,
         0x407,
         "Lang/Tonilo.0407.mui",
         "Deutsch"},
        {"low 16 bits zero",
         0x10000,
         {{"Lang/Tonilo.0407.mui", "36002\tDeutsch\n"}},
         "Lang/Tonilo",
         true,
         0x409,
         "",
         english},
        {"null name: the file is named after the executable",
         0x407,
         {{"tonilo.0407.mui", "36002\tneben dem Programm\n"}},
         nullptr,
         true,
         0x407,
         "tonilo.0407.mui",
         "neben dem Programm"},
    };
    int round = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReleaseResources();
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "Lang");
        RegistryStore::UseDatabase(
            (folder_ / ("registry" + std::to_string(++round) + ".db")).string());
        if (c.langId >= 0)
            SetLanguage(static_cast<uint32_t>(c.langId));
        for (const auto& [name, content] : c.files)
            WriteFile(name, content);
        EXPECT_EQ(Select(c.library), c.selected);
        EXPECT_EQ(CurrentLanguage(), c.language);
        EXPECT_EQ(ResourceLibraryPath(), *c.path ? (folder_ / c.path).string() : "");
        EXPECT_EQ(LoadResourceString(kErrorId), c.text);
    }
}

TEST_F(LanguageResourcesTest, MissingKeyOrNoKeyNameGivesEnglish) {
    WriteFile("Lang/Tonilo.0407.mui", "36002\tDeutsch\n");
    EXPECT_TRUE(SelectResources(executable_, "NoSuchProgram", "Lang/Tonilo"));
    EXPECT_EQ(CurrentLanguage(), 0x409);
    EXPECT_EQ(LoadResourceString(kErrorId), "Cannot open file!");
    SetLanguage(0x407);
    EXPECT_TRUE(SelectResources(executable_, nullptr, "Lang/Tonilo"));
    EXPECT_EQ(CurrentLanguage(), 0x409);
    EXPECT_EQ(ResourceLibraryPath(), "");
}

TEST_F(LanguageResourcesTest, GermanFileServesEveryTextAndLacksWhatItLacks) {
    SetLanguage(0x407);
    WriteFile("Lang/Tonilo.0407.mui", "# Deutsch\n"
                                      "36002\tDatei kann nicht ge\u00f6ffnet werden!\n"
                                      "30168\tHier\\ntippen\n");
    EXPECT_TRUE(Select());
    EXPECT_EQ(CurrentLanguage(), 0x407);
    EXPECT_EQ(ResourceLibraryPath(), (folder_ / "Lang/Tonilo.0407.mui").string());
    EXPECT_EQ(LoadResourceString(kErrorId), "Datei kann nicht ge\u00f6ffnet werden!");
    EXPECT_EQ(LoadResourceString(30168), "Hier\ntippen");
    // A text the file leaves out is missing, as from a library that lacks it.
    EXPECT_EQ(LoadResourceString(36001), "");
    // The built-in table stays reachable as a module of its own.
    EXPECT_EQ(LoadResourceString(36001, &BuiltInStrings()), "File doesn't exist!");
}

TEST_F(LanguageResourcesTest, LangIdOfTheWrongTypeOrSizeIsIgnored) {
    WriteFile("Lang/Tonilo.0407.mui", "36002\tDeutsch\n");
    RegistryKey key(std::string("Software\\Zelto\\") + kKeyName, HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(key.Open(nullptr, true));

    ASSERT_TRUE(key.WriteString("LangID", "1031"));
    EXPECT_TRUE(Select());
    EXPECT_EQ(CurrentLanguage(), 0x409);
    EXPECT_EQ(LoadResourceString(kErrorId), "Cannot open file!");

    const uint8_t fourBytes[] = {0x07, 0x04, 0, 0};
    ASSERT_TRUE(key.WriteBinary("LangID", fourBytes, 4));
    EXPECT_TRUE(Select());
    EXPECT_EQ(CurrentLanguage(), 0x409);

    ASSERT_TRUE(key.WriteBinary("LangID", fourBytes, 2));
    EXPECT_TRUE(Select());
    EXPECT_EQ(CurrentLanguage(), 0x409);
    EXPECT_EQ(ResourceLibraryPath(), "");
}

TEST_F(LanguageResourcesTest, UseExecutableResourcesNeverLoadsAFile) {
    SetLanguage(0x407);
    WriteFile("Lang/Tonilo.0407.mui", "36002\tDeutsch\n");
    WriteFile("tonilo.0407.mui", "36002\tDeutsch\n");
    EXPECT_TRUE(Select(kUseExecutableResources));
    EXPECT_EQ(ResourceLibraryPath(), "");
    EXPECT_EQ(LoadResourceString(kErrorId), "Cannot open file!");
    // The language read stays what the registry said.
    EXPECT_EQ(CurrentLanguage(), 0x407);
    // The value is recognised by content too, not only by address.
    std::string copy = kUseExecutableResources;
    EXPECT_TRUE(Select(copy.c_str()));
    EXPECT_EQ(ResourceLibraryPath(), "");
}

TEST_F(LanguageResourcesTest, ForcedLibraryIsLoadedEvenForEnglishAndNamedAfterTheExecutable) {
    WriteFile("tonilo.0409.mui", "36002\tforced English\n");
    WriteFile("Lang/Tonilo.0409.mui", "36002\twrong file\n");
    EXPECT_TRUE(Select(kForceLanguageLibrary));
    EXPECT_EQ(CurrentLanguage(), 0x409);
    EXPECT_EQ(ResourceLibraryPath(), (folder_ / "tonilo.0409.mui").string());
    EXPECT_EQ(LoadResourceString(kErrorId), "forced English");

    fs::remove(folder_ / "tonilo.0409.mui");
    EXPECT_FALSE(Select(kForceLanguageLibrary));
    EXPECT_EQ(ResourceLibraryPath(), "");
    EXPECT_EQ(LoadResourceString(kErrorId), "Cannot open file!");
}

TEST_F(LanguageResourcesTest, SelectingAgainReplacesTheTableAndReleaseReturnsToEnglish) {
    SetLanguage(0x407);
    WriteFile("Lang/Tonilo.0407.mui", "36002\tDeutsch\n");
    WriteFile("Lang/Tonilo.040c.mui", "36002\tFran\u00e7ais\n");
    ASSERT_TRUE(Select());
    EXPECT_EQ(LoadResourceString(kErrorId), "Deutsch");
    SetLanguage(0x40c);
    ASSERT_TRUE(Select());
    EXPECT_EQ(CurrentLanguage(), 0x40c);
    EXPECT_EQ(LoadResourceString(kErrorId), "Fran\u00e7ais");
    ReleaseResources();
    EXPECT_EQ(ResourceLibraryPath(), "");
    EXPECT_EQ(LoadResourceString(kErrorId), "Cannot open file!");
}

TEST_F(LanguageResourcesTest, MalformedLinesAreSkippedTheRestIsUsed) {
    SetLanguage(0x407);
    // Which lines are malformed is the string table's own test; here the file's
    // path reaches the report.
    WriteFile("Lang/Tonilo.0407.mui", "36001\tDatei fehlt!\n"
                                      "36002 Datei\n"
                                      "36004\tDecoder!\n");
    testing::internal::CaptureStderr();
    EXPECT_TRUE(Select());
    std::string errors = testing::internal::GetCapturedStderr();
    std::string file = (folder_ / "Lang/Tonilo.0407.mui").string();
    EXPECT_NE(errors.find(file + ":2:"), std::string::npos) << errors;
    EXPECT_EQ(LoadResourceString(36001), "Datei fehlt!");
    EXPECT_EQ(LoadResourceString(36002), "");
    EXPECT_EQ(LoadResourceString(36004), "Decoder!");
}

TEST_F(LanguageResourcesTest, TextsAreCutAt254Utf16Units) {
    SetLanguage(0x407);
    const std::string umlaut = "\xC3\xA4";        // one unit, two bytes
    const std::string emoji = "\xF0\x9F\x8E\xA4"; // two units, four bytes
    std::string exact(254, 'x');
    std::string longer(300, 'y');
    std::string umlauts;
    for (int i = 0; i < 300; ++i)
        umlauts += umlaut;
    std::string pairAtTheEdge = std::string(253, 'z') + emoji + "tail";
    std::string pairBeforeTheEdge = std::string(252, 'w') + emoji + "tail";
    WriteFile("Lang/Tonilo.0407.mui", "1\t" + exact + "\n2\t" + longer + "\n3\t" + umlauts +
                                          "\n4\t" + pairAtTheEdge + "\n5\t" + pairBeforeTheEdge +
                                          "\n");
    ASSERT_TRUE(Select());
    EXPECT_EQ(LoadResourceString(1), exact);
    EXPECT_EQ(LoadResourceString(2), std::string(254, 'y'));
    std::string cut = LoadResourceString(3);
    EXPECT_EQ(Utf8ToUtf16(cut).size(), 254u);
    EXPECT_EQ(cut, umlauts.substr(0, 254 * umlaut.size()));
    // Half a surrogate pair cannot be kept: the character goes whole.
    EXPECT_EQ(LoadResourceString(4), std::string(253, 'z'));
    EXPECT_EQ(LoadResourceString(5), std::string(252, 'w') + emoji);
}

TEST_F(LanguageResourcesTest, LibraryPathNaming) {
    EXPECT_EQ(LanguageLibraryPath("/opt/Tonilo/tonilo", "Lang/Tonilo", 0x407),
              "/opt/Tonilo/Lang/Tonilo.0407.mui");
    EXPECT_EQ(LanguageLibraryPath("/opt/Tonilo/Tonilo.exe", nullptr, 0x407),
              "/opt/Tonilo/Tonilo.0407.mui");
    // Only a dot in the file name counts, not one in a folder name.
    EXPECT_EQ(LanguageLibraryPath("/home/u/.local/Tonilo/tonilo", "Lang\\Tonilo", 0x804),
              "/home/u/.local/Tonilo/Lang/Tonilo.0804.mui");
    EXPECT_EQ(LanguageLibraryPath("/home/u/.local/tonilo", nullptr, 0x407),
              "/home/u/.local/tonilo.0407.mui");
    EXPECT_EQ(LanguageLibraryPath("/opt/Tonilo/tonilo", "/usr/share/tonilo/Texts.dll", 0x41d),
              "/usr/share/tonilo/Texts.041d.mui");
    EXPECT_EQ(LanguageLibraryPath("/opt/Tonilo/tonilo", "Lang/Tonilo", 0xffff),
              "/opt/Tonilo/Lang/Tonilo.ffff.mui");
}

TEST_F(LanguageResourcesTest, ReadersOnOtherThreadsSurviveReselection) {
    SetLanguage(0x407);
    WriteFile("Lang/Tonilo.0407.mui", "36002\tDeutsch\n");
    std::atomic<bool> stop{false};
    std::atomic<int> unexpected{0};
    std::vector<std::thread> readers;
    for (int i = 0; i < 3; ++i) {
        readers.emplace_back([&] {
            while (!stop) {
                std::string text = LoadResourceString(kErrorId);
                if (text != "Deutsch" && text != "Cannot open file!")
                    ++unexpected;
            }
        });
    }
    for (int round = 0; round < 200; ++round) {
        ASSERT_TRUE(Select());
        ReleaseResources();
    }
    stop = true;
    for (std::thread& reader : readers)
        reader.join();
    EXPECT_EQ(unexpected, 0);
}

TEST(FillInResourceString, ValuesGoInAsTheyAreAndSpareMarksStay) {
    // 31010: "Cannot listen on %s; later starts will not reach this one."
    EXPECT_EQ(FillInResourceString(31010, {"/run/%s%n"}),
              "Cannot listen on /run/%s%n; later starts will not reach this one.");
    EXPECT_EQ(FillInResourceString(31010, {}),
              "Cannot listen on %s; later starts will not reach this one.");
}

} // namespace
} // namespace tonilo
