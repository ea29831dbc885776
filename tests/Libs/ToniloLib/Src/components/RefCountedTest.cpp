// The reference count's checks are assertions, live in the sanitizer builds:
// there a miscounted filter must stop the program at the faulty call rather
// than free memory someone still uses.
#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <thread>
#include <vector>

#include "Libs/ToniloLib/Src/components/NullEncoder.h"
#include "Libs/ToniloLib/Src/components/PassThroughFilter.h"

namespace tonilo {
namespace {

struct MiscountCase {
    const char* name;
    std::function<void()> fault;
    const char* message;
};

void PrintTo(const MiscountCase& miscount, std::ostream* out) {
    *out << miscount.name;
}

class RefCountedDeathTest : public ::testing::TestWithParam<MiscountCase> {};

TEST_P(RefCountedDeathTest, StopsAtTheFaultyCall) {
#ifdef NDEBUG
    GTEST_SKIP() << "assertions are compiled out of this build";
#else
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(GetParam().fault(), GetParam().message);
#endif
}

INSTANTIATE_TEST_SUITE_P(
    Miscounts, RefCountedDeathTest,
    ::testing::Values(MiscountCase{"FilterReleasedWithoutAReference",
                                   [] { (new PassThroughFilter())->Release(); },
                                   "released past zero"},
                      MiscountCase{"FilterDestroyedWhileReferenced",
                                   [] {
                                       auto* filter = new PassThroughFilter();
                                       filter->AddRef();
                                       delete filter;
                                   },
                                   "destroyed while still referenced"},
                      MiscountCase{"EncoderDestroyedAfterASecondReference",
                                   [] {
                                       auto* encoder = new NullEncoder();
                                       encoder->AddRef();
                                       delete encoder;
                                   },
                                   "destroyed while still referenced"}),
    [](const ::testing::TestParamInfo<MiscountCase>& miscount) { return miscount.param.name; });

TEST(RefCounted, CountsAcrossThreadsAndDestroysOnTheLastRelease) {
    auto* filter = new PassThroughFilter();
    filter->AddRef();
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([filter] {
            for (int i = 0; i < 1000; ++i) {
                filter->AddRef();
                filter->Release();
            }
        });
    for (auto& thread : threads)
        thread.join();
    EXPECT_EQ(filter->ReferenceCount(), 1u);
    EXPECT_EQ(filter->Release(), 0u);
}

} // namespace
} // namespace tonilo
