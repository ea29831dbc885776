#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/mpris/TrackUrl.h"

namespace tonilo {
namespace {

TEST(TrackUrl, FilePathsBecomeEncodedUrlsAndAddressesStayAsTheyAre) {
    char folder[4096];
    ASSERT_NE(::getcwd(folder, sizeof folder), nullptr);
    const std::string here = "file://" + std::string(folder) + "/";
    const struct {
        std::string path, url;
    } cases[] = {
        {"", ""},
        {"/rec/Gr\xC3\xBC\xC3\x9F 1.mp3", "file:///rec/Gr%C3%BC%C3%9F%201.mp3"},
        {"/rec/100%?#&+;=.zaf", "file:///rec/100%25%3F%23%26%2B%3B%3D.zaf"},
        {std::string("/-._~/\x01\x7f\xff\0", 10), "file:///-._~/%01%7F%FF%00"},
        {"http://host/a b?x=1", "http://host/a b?x=1"},
        {"HTTPS://host/x.mp3", "HTTPS://host/x.mp3"},
        {"svn+ssh://host/x", "svn+ssh://host/x"},
        // No scheme: a path relative to the working folder.
        {"take.wav", here + "take.wav"},
        {"1http://x", here + "1http%3A//x"},
        {"://x", here + "%3A//x"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrackUrl(c.path), c.url) << c.path;
    EXPECT_EQ(TrackObjectPath(0), "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    EXPECT_EQ(TrackObjectPath(UINT64_MAX), "/org/tonilo/track/18446744073709551615");
}

} // namespace
} // namespace tonilo
