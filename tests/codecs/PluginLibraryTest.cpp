// The built plug-ins as the format registry meets them: loaded with dlopen
// from the program folder's Codecs/, two visible symbols, working factories.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <cstring>
#include <string>

#include "tests/codecs/CodecTestSupport.h"

namespace tonilo::test {
namespace {

class LoadedPlugin {
public:
    explicit LoadedPlugin(const std::string& name)
        : handle_(dlopen((std::string(TONILO_PROGRAM_DIR) + "/Codecs/" + name).c_str(),
                         RTLD_NOW | RTLD_LOCAL)) {}
    ~LoadedPlugin() {
        if (handle_ != nullptr)
            dlclose(handle_);
    }
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;
    void* handle() const { return handle_; }
    void* Symbol(const char* name) const { return dlsym(handle_, name); }

private:
    void* handle_;
};

struct PluginExpectation {
    const char* file;
    const char* encoder;
    const char* decoder;
    const char* extensions; // the list, its entries joined by '|'
};

void PrintTo(const PluginExpectation& expectation, std::ostream* out) {
    *out << expectation.file;
}

// A list of names each ended by a zero byte, the last followed by another.
std::string JoinedExtensions(const char* list) {
    std::string joined;
    for (; list != nullptr && *list != '\0'; list += std::strlen(list) + 1)
        joined += (joined.empty() ? "" : "|") + std::string(list);
    return joined;
}

class PluginLibrary : public ::testing::TestWithParam<PluginExpectation> {};

TEST_P(PluginLibrary, ExportsItsFormatsWhoseFactoriesRoundTrip) {
    const PluginExpectation& expected = GetParam();
    LoadedPlugin plugin(expected.file);
    ASSERT_NE(plugin.handle(), nullptr) << dlerror();
    auto* abi = static_cast<const uint32_t*>(plugin.Symbol("ToniloPluginAbi"));
    ASSERT_NE(abi, nullptr);
    EXPECT_EQ(*abi, TONILO_PLUGIN_ABI);
    auto getFormats = reinterpret_cast<GetFormatsFunction>(plugin.Symbol("GetFormats"));
    ASSERT_NE(getFormats, nullptr);
    const FormatRecord* records = nullptr;
    uint32_t count = 0;
    ASSERT_TRUE(getFormats(&records, &count, 3));
    ASSERT_EQ(count, 2u);
    EXPECT_STREQ(records[0].name, expected.encoder);
    EXPECT_EQ(records[0].kind, FORMAT_KIND_ENCODER);
    EXPECT_STREQ(records[1].name, expected.decoder);
    EXPECT_EQ(records[1].kind, FORMAT_KIND_DECODER);
    EXPECT_EQ(JoinedExtensions(records[0].extensions), expected.extensions);
    EXPECT_EQ(JoinedExtensions(records[1].extensions), expected.extensions);
    EXPECT_FALSE(getFormats(nullptr, &count, 0));
    // The codec classes stay inside the library.
    EXPECT_EQ(plugin.Symbol("_ZN6tonilo10RefCounted12AddReferenceEv"), nullptr);

    // Its factories make an encoder and a decoder that round trip.
    void* object = nullptr;
    ASSERT_TRUE(records[0].factory(&object, &records[0]));
    CodecPointer<AudioEncoder> encoder(static_cast<AudioEncoder*>(object));
    EXPECT_EQ(encoder->AddRef(), 2u);
    EXPECT_EQ(encoder->Release(), 1u);
    auto pcm = AsBytes(MakeSweep(22050, 1, 1.0));
    auto file = EncodeAll(encoder.get(), MakeRecordingFormat(22050, 16, 1, 1), pcm);
    ASSERT_FALSE(file.empty());

    ASSERT_TRUE(records[1].factory(&object, &records[1]));
    CodecPointer<AudioDecoder> decoder(static_cast<AudioDecoder*>(object));
    ShapedMemoryStream stream(file);
    DecodeResult decoded = DecodeAll(decoder.get(), &stream);
    ASSERT_TRUE(decoded.opened);
    EXPECT_NEAR(Plain(decoded.info.durationMs), 1000.0, 30.0);
    EXPECT_FALSE(decoded.pcm.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Shipped, PluginLibrary,
    ::testing::Values(PluginExpectation{"wav.so", "WAV encoder", "WAV decoder", "wav|wave"},
                      PluginExpectation{"mp3.so", "MP3 encoder", "MP3 decoder", "mp3"},
                      PluginExpectation{"zaf.so", "ZAF encoder", "ZAF decoder", "zaf|opus"}),
    // Named by the plug-in, so that the cases keep their names from build to build.
    [](const ::testing::TestParamInfo<PluginExpectation>& plugin) {
        std::string file = plugin.param.file;
        return file.substr(0, file.find('.'));
    });

} // namespace
} // namespace tonilo::test
