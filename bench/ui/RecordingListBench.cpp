// The recording list over a folder of 10,000 recordings: what the worker spends
// reading and sorting it, and what the user-interface thread spends on it (the
// request, taking the result, type-to-find over all rows). A frame is 16.7 ms
// at 60 frames per second; the user-interface thread's share must stay far below.
//
//   build/bench/ui/recording_list_bench [--benchmark_filter=...]
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "app/SettingsStore.h"
#include "platform/RegistryStore.h"
#include "platform/files/FolderListing.h"
#include "ui/RecordingEntries.h"
#include "ui/RecordingList.h"

namespace tonilo {
namespace {

constexpr int kFiles = 10000;

class NullHost : public WindowHost {
public:
    void SetTimer(uint32_t, uint32_t) override {}
    void KillTimer(uint32_t) override {}
    void SetSoftKeys(const SoftKey&, const std::string&, const Menu&) override {}
    void ShowSoftKeys(bool) override {}
    void PopupMenu(const Menu&, int32_t, int32_t) override {}
    void Ask(const std::string&, const std::string&, QuestionButtons,
             std::function<void(QuestionAnswer)>) override {}
    void ChooseFolder(const std::string&, const std::string&,
                      std::function<void(const std::string&)>) override {}
    void SetBlank(bool) override {}
    void BringToFront() override {}
    void Quit() override {}
};

class NullOwner : public RecordingListOwner {
public:
    void OnListNotification(int32_t, const std::string&, const std::string&) override {}
};

// The folder of 10,000 recordings, made once per run and removed at exit.
const std::string& BigFolder() {
    static std::string folder = [] {
        char pattern[] = "/tmp/tonilo-list-bench.XXXXXX";
        std::string made = ::mkdtemp(pattern);
        for (int i = 0; i < kFiles; ++i)
            std::ofstream(made + "/Recording " + std::to_string(i) + ".wav") << "RIFF";
        std::atexit([] { std::filesystem::remove_all(BigFolder()); });
        return made;
    }();
    return folder;
}

void BM_WorkerReadsAndSorts(benchmark::State& state) {
    const std::string& folder = BigFolder();
    for (auto _ : state) {
        FolderListing listing = ReadFolder(folder, {"wav", "mp3", "zaf"}, true);
        SortEntries(&listing.entries, static_cast<SortKey>(state.range(0)));
        benchmark::DoNotOptimize(listing.entries.data());
    }
}
BENCHMARK(BM_WorkerReadsAndSorts)->Arg(2)->Arg(8)->Arg(3)->Unit(benchmark::kMillisecond);

struct ListUnderTest {
    ListUnderTest() {
        RegistryStore::UseDatabase(BigFolder() + ".registry.db");
        settings.Load("\\Software\\Zelto\\Bench");
        settings.SetString("RecDir", BigFolder().c_str());
        settings.SetNumber("GotoLast", 0);
        list.LoadSettings();
        WaitForRows();
    }
    ~ListUnderTest() { std::filesystem::remove(BigFolder() + ".registry.db"); }
    // Hands the list its messages; the time spent in the list, not in waiting.
    double WaitForRows() {
        double inside = 0;
        while (list.Reading()) {
            ThreadMessage message;
            if (!GetMessageTimeout(&message, 10000))
                break;
            auto start = std::chrono::steady_clock::now();
            list.HandleThreadMessage(message);
            inside +=
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        }
        return inside;
    }

    SettingsStore settings;
    NullHost host;
    NullOwner owner;
    RecordingList list{settings, host, owner, {"wav", "mp3", "zaf"}};
};

// What one re-read costs the user-interface thread: asking, and taking the rows.
void BM_UserInterfaceThreadPerRefresh(benchmark::State& state) {
    ListUnderTest test;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        test.list.Refresh();
        double asking =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(asking + test.WaitForRows());
    }
    state.counters["rows"] = test.list.RowCount();
}
BENCHMARK(BM_UserInterfaceThreadPerRefresh)->UseManualTime()->Unit(benchmark::kMillisecond);

// A typed character narrows all rows at once, and a backspace widens them again.
void BM_TypeToFindOverAllRows(benchmark::State& state) {
    ListUnderTest test;
    for (auto _ : state) {
        test.list.OnSearchChar('9');
        test.list.OnSearchChar(8);
    }
    state.counters["rows"] = test.list.RowCount();
}
BENCHMARK(BM_TypeToFindOverAllRows)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace tonilo

BENCHMARK_MAIN();
