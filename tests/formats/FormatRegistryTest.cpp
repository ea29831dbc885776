#include "formats/FormatRegistry.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <thread>
#include <vector>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/components/FilterTable.h"
#include "formats/ShippedCodecs.h"
#include "platform/ProgramPaths.h"
#include "platform/RegistryKey.h"

namespace tonilo {
namespace {

const std::string kPlugins = std::string(TONILO_TEST_BINARY_DIR) + "/plugins/";
const char* kKey = "Software\\Zelto\\Formats";

class FormatRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tonilo-formats-XXXXXX";
        folder_ = mkdtemp(pattern);
        RegistryStore::UseDatabase(folder_ + "/registry.db");
    }
    void TearDown() override {
        if (registry_)
            registry_->Release();
        std::filesystem::remove_all(folder_);
    }

    void Describe(const std::string& subKey, const std::string& dll, const std::string& name,
                  const std::string& extensions, uint32_t kind, uint32_t icon = 0) {
        RegistryKey key((std::string(kKey) + "\\" + subKey).c_str(), HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(key.Open(nullptr, true));
        if (!dll.empty())
            key.WriteString("Dll", dll);
        if (!name.empty())
            key.WriteString("Name", name);
        key.WriteString("Ext", extensions);
        if (icon)
            key.WriteNumber("Icon", icon);
        if (kind)
            key.WriteNumber("Codec", kind);
    }

    FormatRegistry* Open() {
        registry_ = new FormatRegistry();
        registry_->Init(kKey, GetFilterTable);
        return registry_;
    }

    std::string folder_;
    FormatRegistry* registry_ = nullptr;
};

TEST_F(FormatRegistryTest, SharedLibraryIsOneRowAndLoadsOnFirstNeedOnly) {
    Describe("a", kPlugins + "good.so", "Test decoder", "tst;TST2", FORMAT_KIND_DECODER);
    Describe("b", kPlugins + "GOOD.so", "Test encoder", "tst", FORMAT_KIND_ENCODER);
    FormatRegistry* registry = Open();
    ASSERT_EQ(registry->Libraries().size(), 1u);
    EXPECT_EQ(registry->Libraries()[0].module, nullptr);
    EXPECT_EQ(registry->Count(), 2u + kFilterTableCount);

    AudioDecoder* decoder = nullptr;
    ASSERT_TRUE(registry->CreateDecoder(&decoder, "/music/song.TST2", nullptr));
    void* module = registry->Libraries()[0].module;
    EXPECT_NE(module, nullptr);
    MediaInfo info{};
    ASSERT_TRUE(decoder->Open(nullptr, &info));
    EXPECT_EQ(info.durationMs, 1234u);
    decoder->Release();

    AudioEncoder* encoder = nullptr;
    ASSERT_TRUE(registry->CreateEncoder(&encoder, nullptr, "Test encoder"));
    EXPECT_EQ(encoder->Command(ENCODER_QUALITY_LEVELS, 0, 0), 3u);
    EXPECT_EQ(registry->Libraries()[0].module, module);
    encoder->Release();
}

TEST_F(FormatRegistryTest, UnlistedFormatsArriveWithTheirLibrary) {
    Describe("a", kPlugins + "good.so", "Test decoder", "tst", FORMAT_KIND_DECODER);
    FormatRegistry* registry = Open();
    EXPECT_FALSE(registry->FindByName("Unlisted encoder", nullptr, nullptr));
    AudioEncoder* encoder = nullptr;
    EXPECT_FALSE(registry->CreateEncoder(&encoder, "x.unl", nullptr));
    AudioDecoder* decoder = nullptr;
    ASSERT_TRUE(registry->CreateDecoder(&decoder, "x.tst", nullptr));
    decoder->Release();
    FormatEntry entry;
    int32_t index = -1;
    ASSERT_TRUE(registry->FindByName("Unlisted encoder", &entry, &index));
    EXPECT_EQ(entry.libraryIndex, 0);
    ASSERT_TRUE(registry->CreateEncoder(&encoder, "x.UNL", nullptr));
    encoder->Release();
    // The registry's own description keeps its extensions until the library
    // replaces them with its own list.
    ASSERT_TRUE(registry->FindByName("Test decoder", &entry, nullptr));
    EXPECT_EQ(entry.extensions, (std::vector<std::string>{"tst", "TST2"}));
}

TEST_F(FormatRegistryTest, ExtensionsCompareWithoutCaseNamesWithCase) {
    Describe("mp3", kPlugins + "good.so", "MP3 decoder", "mp3;MP2", FORMAT_KIND_DECODER);
    Describe("wav", kPlugins + "good.so", "WAV encoder", "wav;wave", FORMAT_KIND_ENCODER);
    FormatRegistry* registry = Open();
    FormatEntry entry;
    EXPECT_TRUE(registry->FindByExtension("mp2", FORMAT_KIND_DECODER, &entry, nullptr));
    EXPECT_TRUE(registry->FindByExtension("Mp2", FORMAT_KIND_DECODER, &entry, nullptr));
    EXPECT_EQ(entry.name, "MP3 decoder");
    EXPECT_FALSE(registry->FindByExtension("mp2", FORMAT_KIND_ENCODER, &entry, nullptr));
    EXPECT_TRUE(registry->FindByName("WAV encoder", nullptr, nullptr));
    EXPECT_FALSE(registry->FindByName("wav encoder", nullptr, nullptr));
}

TEST_F(FormatRegistryTest, IncompleteDescriptionsAreSkipped) {
    Describe("no-dll", "", "A", "a", FORMAT_KIND_DECODER);
    Describe("no-name", kPlugins + "good.so", "", "b", FORMAT_KIND_DECODER);
    Describe("no-kind", kPlugins + "good.so", "C", "c", 0);
    Describe("with-icon", kPlugins + "good.so", "D", "d", FORMAT_KIND_DECODER, 42);
    {
        RegistryKey noExt((std::string(kKey) + "\\no-ext").c_str(), HKEY_LOCAL_MACHINE);
        ASSERT_TRUE(noExt.Open(nullptr, true));
        noExt.WriteString("Dll", "x.so");
        noExt.WriteString("Name", "E");
        noExt.WriteNumber("Codec", 2);
    }
    FormatRegistry* registry = Open();
    EXPECT_EQ(registry->Count(), 1u + kFilterTableCount);
    std::string module;
    uint32_t icon = 0;
    ASSERT_TRUE(registry->GetIcon("D", &module, &icon));
    EXPECT_EQ(icon, 42u);
    EXPECT_EQ(module, kPlugins + "good.so");
    EXPECT_FALSE(registry->GetIcon("zzz", &module, &icon));
}

TEST_F(FormatRegistryTest, BrokenLibrariesFailCreationButStayListed) {
    Describe("missing", folder_ + "/missing.so", "Missing decoder", "mis", FORMAT_KIND_DECODER);
    Describe("text", kPlugins + "not_a_library.so", "Text decoder", "txt", FORMAT_KIND_DECODER);
    Describe("abi", kPlugins + "wrong_abi.so", "Abi decoder", "abi", FORMAT_KIND_DECODER);
    Describe("none", kPlugins + "no_formats.so", "None decoder", "non", FORMAT_KIND_DECODER);
    FormatRegistry* registry = Open();
    testing::internal::CaptureStderr();
    for (const char* file : {"a.mis", "a.txt", "a.abi", "a.non", "b.mis", "a.unknown", "noext"}) {
        AudioDecoder* decoder = reinterpret_cast<AudioDecoder*>(1);
        EXPECT_FALSE(registry->CreateDecoder(&decoder, file, nullptr)) << file;
        EXPECT_EQ(decoder, nullptr);
    }
    std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("interface"), std::string::npos) << said;
    EXPECT_NE(said.find("no GetFormats"), std::string::npos) << said;
    // Each library is reported once, not at every attempt.
    EXPECT_EQ(said.find("missing.so"), said.rfind("missing.so")) << said;
    EXPECT_EQ(registry->Count(), 4u + kFilterTableCount);
}

TEST_F(FormatRegistryTest, BuiltInFiltersByExactName) {
    FormatRegistry* registry = Open(); // no Formats key at all: filters only
    EXPECT_EQ(registry->Count(), kFilterTableCount);
    AudioFilter* filter = nullptr;
    ASSERT_TRUE(registry->CreateFilter(&filter, "Eq Audio Filter"));
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->Release(), 0u);
    EXPECT_FALSE(registry->CreateFilter(&filter, "eq audio filter"));
    EXPECT_FALSE(registry->CreateFilter(&filter, nullptr));
    FormatEntry entry;
    EXPECT_FALSE(registry->GetEntry(&entry, registry->Count()));
}

TEST_F(FormatRegistryTest, ThreadsRacingTheFirstLoadAllSucceed) {
    Describe("a", kPlugins + "good.so", "Test decoder", "tst", FORMAT_KIND_DECODER);
    FormatRegistry* registry = Open();
    std::vector<std::thread> threads;
    std::atomic<int> created{0};
    for (int t = 0; t < 6; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 50; ++i) {
                AudioDecoder* decoder = nullptr;
                if (registry->CreateDecoder(&decoder, "x.tst", nullptr)) {
                    ++created;
                    decoder->Release();
                }
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(created.load(), 300);
}

TEST_F(FormatRegistryTest, InstallStepDescribesShippedLibrariesOnce) {
    std::string codecs = folder_ + "/Codecs";
    std::filesystem::create_directories(codecs);
    std::filesystem::copy_file(kPlugins + "good.so", codecs + "/good.so");
    std::filesystem::copy_file(kPlugins + "wrong_abi.so", codecs + "/wrong_abi.so");
    ShippedCodecsReport first = RegisterShippedCodecs(codecs, kKey);
    EXPECT_EQ(first.registered.size(), 3u);
    ASSERT_EQ(first.problems.size(), 1u);
    EXPECT_NE(first.problems[0].find("wrong_abi.so"), std::string::npos);
    std::string dll;
    ASSERT_TRUE(ReadStringAt(HKEY_LOCAL_MACHINE, "Software\\Zelto\\Formats\\Test decoder", "Dll",
                             &dll));
    EXPECT_EQ(dll, "good.so");
    std::string extensions;
    ASSERT_TRUE(ReadStringAt(HKEY_LOCAL_MACHINE, "Software\\Zelto\\Formats\\Test decoder", "Ext",
                             &extensions));
    EXPECT_EQ(extensions, "tst;TST2");
    ShippedCodecsReport second = RegisterShippedCodecs(codecs, kKey);
    EXPECT_TRUE(second.registered.empty());

    // The described library resolves by file name in the program's Codecs folder.
    SetProgramFolder(folder_);
    FormatRegistry* registry = Open();
    AudioDecoder* decoder = nullptr;
    ASSERT_TRUE(registry->CreateDecoder(&decoder, "song.tst", nullptr));
    decoder->Release();
    SetProgramFolder("");
}

} // namespace
} // namespace tonilo
