// Export against tonilo-tool convert on the same recording, in one run: sox
// makes a WAV, then each round converts it to MP3 once through the tool (a
// process: start, codecs, conversion) and once through the export worker
// (the registry already loaded, as in the running program). Rounds alternate
// so a busy machine slows both alike; the medians of wall-clock and CPU
// seconds are printed, and export / convert as a ratio.
// Run by hand: build/bench/ui/export_bench [--seconds N] [--rate HZ]
//              [--channels C] [--quality Q] [--rounds K]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "formats/FormatRegistry.h"
#include "formats/ProgramFormatRegistry.h"
#include "platform/ProgramPaths.h"
#include "ui/ExportJob.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    unsigned seconds = 600;
    unsigned rate = 44100;
    unsigned channels = 2;
    int quality = 2;
    int rounds = 3;
};

struct Timing {
    double wall = 0; // seconds
    double cpu = 0;  // user + system seconds
};

double Seconds(const timeval& time) {
    return time.tv_sec + time.tv_usec / 1e6;
}

double CpuSeconds(int who) {
    rusage usage{};
    ::getrusage(who, &usage);
    return Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
}

bool ParseOptions(int argc, char** argv, Options* options) {
    for (int i = 1; i + 1 < argc; i += 2) {
        const long value = std::strtol(argv[i + 1], nullptr, 10);
        if (value <= 0)
            return false;
        if (std::strcmp(argv[i], "--seconds") == 0)
            options->seconds = static_cast<unsigned>(value);
        else if (std::strcmp(argv[i], "--rate") == 0)
            options->rate = static_cast<unsigned>(value);
        else if (std::strcmp(argv[i], "--channels") == 0)
            options->channels = static_cast<unsigned>(value);
        else if (std::strcmp(argv[i], "--quality") == 0)
            options->quality = static_cast<int>(value);
        else if (std::strcmp(argv[i], "--rounds") == 0)
            options->rounds = static_cast<int>(value);
        else
            return false;
    }
    return argc % 2 == 1;
}

bool RunConvert(const std::string& source, const std::string& target, int quality, Timing* timing) {
    const double cpuBefore = CpuSeconds(RUSAGE_CHILDREN);
    const Clock::time_point start = Clock::now();
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stderr);
        const std::string qualityText = std::to_string(quality);
        ::execl(TONILO_PROGRAM_DIR "/tonilo-tool", "tonilo-tool", "convert", source.c_str(),
                target.c_str(), "--encoder", "MP3 encoder", "--quality", qualityText.c_str(),
                static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    timing->wall = std::chrono::duration<double>(Clock::now() - start).count();
    timing->cpu = CpuSeconds(RUSAGE_CHILDREN) - cpuBefore;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool RunExport(tonilo::FormatRegistry* registry, const std::string& source,
               const std::string& target, const Options& options, Timing* timing) {
    std::mutex mutex;
    std::condition_variable endedSignal;
    bool ended = false;
    tonilo::ExportEnd end = tonilo::ExportEnd::Failed;
    tonilo::ExportListener listener;
    listener.ended = [&](tonilo::ExportEnd result) {
        std::lock_guard<std::mutex> guard(mutex);
        ended = true;
        end = result;
        endedSignal.notify_all();
    };
    tonilo::ExportRequest request;
    request.source = source;
    request.target = target;
    request.format = tonilo::QualityPreset::FromFormat("MP3 encoder", options.rate, 16,
                                                       static_cast<uint16_t>(options.channels),
                                                       static_cast<uint8_t>(options.quality));
    request.replaceExisting = true;

    tonilo::ExportJob job(registry);
    const double cpuBefore = CpuSeconds(RUSAGE_SELF);
    const Clock::time_point start = Clock::now();
    if (job.Start(request, listener) != tonilo::ExportStart::Started)
        return false;
    {
        std::unique_lock<std::mutex> lock(mutex);
        endedSignal.wait(lock, [&] { return ended; });
    }
    job.Wait(tonilo::ExportJob::kStopTimeoutMs);
    timing->wall = std::chrono::duration<double>(Clock::now() - start).count();
    timing->cpu = CpuSeconds(RUSAGE_SELF) - cpuBefore;
    return end == tonilo::ExportEnd::Done;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: export_bench [--seconds N] [--rate HZ] [--channels C] "
                             "[--quality Q] [--rounds K]\n");
        return 2;
    }
    char pattern[] = "/tmp/tonilo-export-bench.XXXXXX";
    if (::mkdtemp(pattern) == nullptr)
        return 1;
    const std::string scratch = pattern;
    // The tool and this process share one registry of their own.
    ::setenv("TONILO_REGISTRY", (scratch + "/registry.db").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (scratch + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (scratch + "/data").c_str(), 1);
    tonilo::SetProgramFolder(TONILO_PROGRAM_DIR);

    const std::string source = scratch + "/source.wav";
    const std::string make = "sox -n -r " + std::to_string(options.rate) + " -c " +
                             std::to_string(options.channels) + " -b 16 '" + source + "' synth " +
                             std::to_string(options.seconds) + " pinknoise vol 0.3";
    if (std::system(make.c_str()) != 0) {
        std::fprintf(stderr, "export_bench: sox failed\n");
        return 1;
    }
    tonilo::FormatRegistry* registry = tonilo::CreateProgramFormatRegistry();

    std::vector<double> convertWall, convertCpu, exportWall, exportCpu;
    bool ok = true;
    for (int round = 0; round < options.rounds && ok; ++round) {
        Timing convert, exported;
        ok = RunConvert(source, scratch + "/convert.mp3", options.quality, &convert) &&
             RunExport(registry, source, scratch + "/export.mp3", options, &exported);
        convertWall.push_back(convert.wall);
        convertCpu.push_back(convert.cpu);
        exportWall.push_back(exported.wall);
        exportCpu.push_back(exported.cpu);
        std::printf("round %d: convert %.3f s (cpu %.3f s), export %.3f s (cpu %.3f s)\n",
                    round + 1, convert.wall, convert.cpu, exported.wall, exported.cpu);
    }
    std::error_code missing;
    const bool sameSize = ok && std::filesystem::file_size(scratch + "/convert.mp3", missing) ==
                                    std::filesystem::file_size(scratch + "/export.mp3", missing);
    registry->Release();
    std::filesystem::remove_all(scratch);
    if (!ok) {
        std::fprintf(stderr, "export_bench: a conversion failed\n");
        return 1;
    }
    std::printf("%u s of %u Hz, %u channel(s) to MP3, quality %d, median of %d rounds:\n",
                options.seconds, options.rate, options.channels, options.quality, options.rounds);
    std::printf("convert: %.3f s wall, %.3f s cpu\n", Median(convertWall), Median(convertCpu));
    std::printf("export:  %.3f s wall, %.3f s cpu\n", Median(exportWall), Median(exportCpu));
    std::printf("export / convert: %.3f wall, %.3f cpu; outputs %s\n",
                Median(exportWall) / Median(convertWall), Median(exportCpu) / Median(convertCpu),
                sameSize ? "of equal size" : "of DIFFERENT sizes");
    return 0;
}
