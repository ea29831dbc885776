#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "platform/mpris/TrackUrl.h"

namespace tonilo {
namespace {

TEST(TrackUrl, FilePathsBecomeEncodedUrlsAndAddressesStayAsTheyAre) {
    char folder[4096];
    ASSERT_NE(::getcwd(folder, sizeof folder), nullptr);
    struct Case {
        std::string path;
        std::string url;
    } cases[] = {
        {"", ""},
        {"/rec/take 1.wav", "file:///rec/take%201.wav"},
        {"/rec/Grüße.mp3", "file:///rec/Gr%C3%BC%C3%9Fe.mp3"},
        {"/rec/100%?#&+;=.zaf", "file:///rec/100%25%3F%23%26%2B%3B%3D.zaf"},
        {"/a/-._~/b", "file:///a/-._~/b"},
        {std::string("/rec/\x01\x7f\xff", 8), "file:///rec/%01%7F%FF"},
        {"http://host/a b?x=1", "http://host/a b?x=1"},
        {"HTTPS://host/x.mp3", "HTTPS://host/x.mp3"},
        {"svn+ssh://host/x", "svn+ssh://host/x"},
        // Not a scheme: a relative path from the working folder.
        {"take.wav", "file://" + std::string(folder) + "/take.wav"},
        {"1http://x", "file://" + std::string(folder) + "/1http%3A//x"},
        {"://x", "file://" + std::string(folder) + "/%3A//x"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TrackUrl(c.path), c.url) << c.path;
}

TEST(TrackUrl, TrackPathsAreDistinctAndZeroIsNoTrack) {
    EXPECT_EQ(TrackObjectPath(0), "/org/mpris/MediaPlayer2/TrackList/NoTrack");
    EXPECT_EQ(TrackObjectPath(1), "/org/tonilo/track/1");
    EXPECT_NE(TrackObjectPath(12), TrackObjectPath(1));
    EXPECT_EQ(TrackObjectPath(UINT64_MAX), "/org/tonilo/track/18446744073709551615");
}

} // namespace
} // namespace tonilo
