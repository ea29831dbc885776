#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <vector>

#include "Libs/ToniloLib/Src/components/AudioFilter.h"
#include "Libs/ToniloLib/Src/components/FilterTable.h"

namespace tonilo {
namespace {

std::atomic<int> liveFilters{0};

// Adds `step` to every byte and remembers the order it ran in.
class StepFilter : public AudioFilter {
public:
    StepFilter(uint8_t step, std::vector<int>* order = nullptr, uint32_t ratio = 1)
        : step_(step), order_(order), ratio_(ratio) {
        ++liveFilters;
    }
    ~StepFilter() override { --liveFilters; }
    bool fail = false;

protected:
    bool AcceptsFormat(const WAVEFORMATEX& format) override { return format.wBitsPerSample == 16; }
    bool Transform(AudioBuffer& buffer) override {
        if (fail)
            return false;
        for (uint32_t i = 0; i < buffer.used; ++i)
            buffer.data[i] = static_cast<uint8_t>(buffer.data[i] + step_);
        if (order_)
            order_->push_back(step_);
        return true;
    }
    uint32_t SourceToOutput(uint32_t bytes) override { return bytes * ratio_; }
    uint32_t OutputToSource(uint32_t bytes) override { return bytes / ratio_; }

private:
    uint8_t step_;
    std::vector<int>* order_;
    uint32_t ratio_;
};

// Builds head -> ... -> tail; returns the tail with the chain's one reference.
AudioFilter* Chain(std::vector<StepFilter*> filters) {
    AudioFilter* previous = nullptr;
    for (StepFilter* filter : filters) {
        filter->AddRef();
        filter->SetSource(previous); // hands the previous one's reference over
        previous = filter;
    }
    return previous;
}

TEST(FilterChain, RunsHeadToTailOverOneBuffer) {
    std::vector<int> order;
    AudioFilter* tail = Chain({new StepFilter(1, &order), new StepFilter(2, &order),
                               new StepFilter(4, &order)});
    uint8_t bytes[4] = {0, 10, 20, 30};
    AudioBuffer buffer{bytes, sizeof bytes, 3};
    ASSERT_TRUE(tail->Process(&buffer));
    EXPECT_EQ(order, (std::vector<int>{1, 2, 4}));
    EXPECT_EQ(bytes[0], 7);
    EXPECT_EQ(bytes[2], 27);
    EXPECT_EQ(bytes[3], 30); // beyond used: untouched
    EXPECT_EQ(tail->Release(), 0u);
    EXPECT_EQ(liveFilters.load(), 0);
}

TEST(FilterChain, EmptyBuffersPassAsSuccessUntouched) {
    std::vector<int> order;
    AudioFilter* tail = Chain({new StepFilter(1, &order)});
    uint8_t bytes[2] = {5, 5};
    AudioBuffer noSize{bytes, 0, 2}, noUsed{bytes, 2, 0}, noData{nullptr, 2, 2};
    EXPECT_TRUE(tail->Process(&noSize));
    EXPECT_TRUE(tail->Process(&noUsed));
    EXPECT_TRUE(tail->Process(&noData));
    EXPECT_FALSE(tail->Process(nullptr));
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(bytes[0], 5);
    tail->Release();
}

TEST(FilterChain, FailingSourceStopsBeforeTransform) {
    std::vector<int> order;
    auto* head = new StepFilter(1, &order);
    auto* tail = new StepFilter(2, &order);
    AudioFilter* chain = Chain({head, tail});
    head->fail = true;
    uint8_t bytes[2] = {0, 0};
    AudioBuffer buffer{bytes, 2, 2};
    EXPECT_FALSE(chain->Process(&buffer));
    EXPECT_TRUE(order.empty());
    EXPECT_EQ(bytes[0], 0);
    chain->Release();
}

TEST(FilterChain, BypassStillRunsTheSource) {
    std::vector<int> order;
    auto* tail = new StepFilter(2, &order);
    AudioFilter* chain = Chain({new StepFilter(1, &order), tail});
    EXPECT_EQ(tail->Control(CTL_BYPASS, 1, 0), 0u);
    uint8_t bytes[1] = {0};
    AudioBuffer buffer{bytes, 1, 1};
    ASSERT_TRUE(chain->Process(&buffer));
    EXPECT_EQ(bytes[0], 1);
    // SetInputFormat restores the initial bypass (off).
    WAVEFORMATEX format = MakePcmFormat(8000, 16, 1);
    EXPECT_TRUE(tail->SetInputFormat(&format));
    ASSERT_TRUE(chain->Process(&buffer));
    EXPECT_EQ(bytes[0], 4);
    chain->Release();
}

TEST(FilterChain, ByteCountsComposeThroughTheChain) {
    auto* single = new StepFilter(0, nullptr, 3);
    single->AddRef();
    EXPECT_EQ(single->Control(CTL_SRC_TO_OUT, 100, 0), 300u);
    EXPECT_EQ(single->Control(CTL_OUT_TO_SRC, 300, 0), 100u);
    single->Release();

    AudioFilter* chain =
        Chain({new StepFilter(0, nullptr, 2), new StepFilter(0, nullptr, 1), new StepFilter(0, nullptr, 5)});
    EXPECT_EQ(chain->Control(CTL_SRC_TO_OUT, 7, 0), 70u);
    EXPECT_EQ(chain->Control(CTL_OUT_TO_SRC, 70, 0), 7u);
    chain->Control(CTL_BYPASS, 1, 0); // bypass does not change the arithmetic
    EXPECT_EQ(chain->Control(CTL_SRC_TO_OUT, 7, 0), 70u);
    EXPECT_EQ(chain->Control(99, 1, 2), 0u);
    chain->Release();
}

TEST(FilterChain, GetSourceAddsAReferenceAndFormatsAreCopied) {
    auto* head = new StepFilter(1);
    AudioFilter* chain = Chain({head, new StepFilter(2)});
    AudioFilter* source = nullptr;
    ASSERT_TRUE(chain->GetSource(&source));
    EXPECT_EQ(source, head);
    EXPECT_EQ(head->ReferenceCount(), 2u);
    source->Release();
    WAVEFORMATEX format = MakePcmFormat(22050, 8, 2), copy{};
    EXPECT_FALSE(chain->SetInputFormat(&format)); // 8-bit refused by the test filter
    chain->GetInputFormat(&copy);
    EXPECT_EQ(std::memcmp(&copy, &format, sizeof format), 0);
    chain->GetOutputFormat(&copy);
    EXPECT_EQ(copy.nSamplesPerSec, 22050u);
    chain->Release();
    EXPECT_EQ(liveFilters.load(), 0);
}

TEST(FilterTable, HoldsTheEightNamedFiltersInOrder) {
    uint32_t count = 0;
    const FormatRecord* table = GetFilterTable(&count);
    ASSERT_EQ(count, 8u);
    const char* names[] = {"168 Audio Filter",   "816 Audio Filter",  "Eq Audio Filter",
                           "Gain Audio Filter",  "Noise Audio Filter", "VAS Audio Filter",
                           "Volume Audio Filter", "Resample Audio Filter"};
    for (uint32_t i = 0; i < count; ++i) {
        EXPECT_STREQ(table[i].name, names[i]);
        EXPECT_EQ(table[i].extensions, nullptr);
        EXPECT_EQ(table[i].kind, FORMAT_KIND_FILTER);
        void* object = nullptr;
        ASSERT_TRUE(table[i].factory(&object, &table[i]));
        auto* filter = static_cast<AudioFilter*>(object);
        ASSERT_NE(filter, nullptr);
        EXPECT_EQ(filter->ReferenceCount(), 1u);
        EXPECT_EQ(filter->Release(), 0u);
    }
}

} // namespace
} // namespace tonilo
