// Measures the tonilo program as a process, on SDL's dummy audio driver:
// - start-up: from fork to the instance answering "mode: ready" (a recording
//   prepared), first start (codecs described into a new registry) and later ones;
// - a forwarded command line: sending "-stop" (which changes nothing on a
//   prepared recording) and the status request behind it, which the program
//   answers only after it has processed the command line;
// - idle CPU: user + system seconds of the idle instance over a period
//   (60 s unless --idle-seconds N), read from /proc/PID/stat.
// Run by hand: build/bench/program/program_bench [--idle-seconds N]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/InstanceChannel.h"

namespace {

using Clock = std::chrono::steady_clock;
using tonilo::InstanceRequest;

double Milliseconds(Clock::duration duration) {
    return std::chrono::duration<double, std::milli>(duration).count();
}

pid_t StartProgram() {
    std::fflush(nullptr); // the child must not print our buffered lines again
    pid_t child = ::fork();
    if (child == 0) {
        std::freopen("/dev/null", "w", stdout);
        std::freopen("/dev/null", "w", stderr);
        ::execl(TONILO_PROGRAM_DIR "/tonilo", "tonilo", static_cast<char*>(nullptr));
        _exit(127);
    }
    return child;
}

bool IsReady(const std::string& socket) {
    std::string answer;
    return tonilo::SendInstanceRequest(socket, InstanceRequest::Status, "", &answer, 1000) &&
           answer.find("mode: ready") != std::string::npos;
}

void EndProgram(const std::string& socket, pid_t child) {
    std::string answer;
    tonilo::SendInstanceRequest(socket, InstanceRequest::CommandLine,
                                tonilo::EncodeCommandLine("/", {"-exit"}), &answer);
    ::waitpid(child, nullptr, 0);
}

// Start to "mode: ready"; negative when it did not get there in 30 s.
double MeasureStart(const std::string& socket, pid_t* child) {
    Clock::time_point start = Clock::now();
    *child = StartProgram();
    while (Clock::now() - start < std::chrono::seconds(30)) {
        if (IsReady(socket))
            return Milliseconds(Clock::now() - start);
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    return -1;
}

double CpuSeconds(pid_t child) {
    std::ifstream file("/proc/" + std::to_string(child) + "/stat");
    std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    // Fields after the command name, which ends with the last ')'.
    std::istringstream fields(text.substr(text.rfind(')') + 2));
    std::string field;
    unsigned long long user = 0, system = 0;
    for (int index = 3; fields >> field; ++index) {
        if (index == 14)
            user = std::stoull(field);
        if (index == 15) {
            system = std::stoull(field);
            break;
        }
    }
    return static_cast<double>(user + system) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void PrintFigures(const char* what, std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::printf("%-44s median %.2f ms  min %.2f  max %.2f  (%zu runs)\n", what,
                values[values.size() / 2], values.front(), values.back(), values.size());
}

} // namespace

int main(int argc, char** argv) {
    int idleSeconds = 60;
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "--idle-seconds") == 0)
            idleSeconds = std::atoi(argv[i + 1]);
    }
    char pattern[] = "/tmp/tonilo-bench.XXXXXX";
    std::string scratch = ::mkdtemp(pattern);
    for (const char* folder : {"runtime", "home", "config", "share"})
        std::filesystem::create_directories(scratch + "/" + folder);
    std::filesystem::permissions(scratch + "/runtime", std::filesystem::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", (scratch + "/runtime").c_str(), 1);
    ::setenv("TONILO_REGISTRY", (scratch + "/registry.db").c_str(), 1);
    ::setenv("HOME", (scratch + "/home").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (scratch + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (scratch + "/share").c_str(), 1);
    ::setenv("SDL_AUDIODRIVER", "dummy", 1);
    ::setenv("SDL_VIDEODRIVER", "offscreen", 1);
    const std::string socket = tonilo::InstanceSocketPath("ZeltoTonilo");

    pid_t child = 0;
    double first = MeasureStart(socket, &child);
    EndProgram(socket, child);
    std::printf("%-44s %.2f ms\n", "start-up to a prepared recording, first run", first);
    std::vector<double> starts;
    for (int run = 0; run < 15; ++run) {
        starts.push_back(MeasureStart(socket, &child));
        EndProgram(socket, child);
    }
    PrintFigures("start-up to a prepared recording", starts);

    MeasureStart(socket, &child);
    std::vector<double> forwards;
    for (int run = 0; run < 200; ++run) {
        std::string answer;
        Clock::time_point start = Clock::now();
        tonilo::SendInstanceRequest(socket, InstanceRequest::CommandLine,
                                    tonilo::EncodeCommandLine("/", {"-stop", "-b"}), &answer);
        tonilo::SendInstanceRequest(socket, InstanceRequest::Status, "", &answer);
        forwards.push_back(Milliseconds(Clock::now() - start));
    }
    PrintFigures("forwarded command line processed (+status)", forwards);

    double before = CpuSeconds(child);
    std::this_thread::sleep_for(std::chrono::seconds(idleSeconds));
    double after = CpuSeconds(child);
    std::printf("%-44s %.2f s over %d s\n", "idle CPU (user + system)", after - before,
                idleSeconds);
    EndProgram(socket, child);
    std::filesystem::remove_all(scratch);
    return 0;
}
