// veyrune-verify against sha256sum on the same file, side by side in one run:
// wall time and peak resident memory of each process, on logs of 100,000 and
// 1,000,000 lines. The file is in the page cache for both (written, then read
// by the first iteration). Both run under GNU time (/usr/bin/time), which
// reports the tool's own peak memory; a child spawned straight from this
// process would be charged with this process's memory too.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <stdexcept>
#include <vector>

#include "BenchLog.h"

using namespace veyrune;

extern char** environ;

namespace {

struct Run {
    double seconds;
    long maxResidentKiB;
};

// Runs `program file` with stdout to /dev/null and measures it from spawn to exit.
Run runTool(const std::string& program, const std::filesystem::path& file) {
    auto report = std::filesystem::temp_directory_path() / "veyrune-bench-rss.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {"/usr/bin/time", "-f",    "%M",         "-o",
                                     report.string(), program, file.string()};
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        throw std::runtime_error("cannot start /usr/bin/time");
    }
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    waitpid(pid, &status, 0);
    auto end = std::chrono::steady_clock::now();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        throw std::runtime_error(program + " failed on " + file.string());
    }
    long kib = 0;
    std::ifstream(report) >> kib;
    return {std::chrono::duration<double>(end - start).count(), kib};
}

std::map<std::string, double> meanSeconds;  // by benchmark name

void timeTool(benchmark::State& state, const std::string& name, const std::string& program,
              long lines) {
    auto file = bench::sealedLog(lines);
    double total = 0;
    long peak = 0;
    for (auto _ : state) {
        auto run = runTool(program, file);
        state.SetIterationTime(run.seconds);
        total += run.seconds;
        peak = std::max(peak, run.maxResidentKiB);
    }
    meanSeconds[name] = total / double(state.iterations());
    state.counters["maxRSS_MiB"] = double(peak) / 1024.0;
    state.counters["file_MB"] = double(std::filesystem::file_size(file)) / 1e6;
    state.SetBytesProcessed(state.iterations() * std::int64_t(std::filesystem::file_size(file)));
}

}  // namespace

int main(int argc, char** argv) {
    const long sizes[] = {100000, 1000000};
    for (long lines : sizes) {
        for (const std::string tool : {"sha256sum", "veyrune-verify"}) {
            std::string name = tool + "/" + std::to_string(lines);
            std::string program = tool == "sha256sum" ? "/usr/bin/sha256sum" : VEYRUNE_VERIFY_PATH;
            benchmark::RegisterBenchmark(
                name.c_str(),
                [=](benchmark::State& state) { timeTool(state, name, program, lines); })
                ->UseManualTime()
                ->Unit(benchmark::kMillisecond)
                ->Iterations(lines > 100000 ? 3 : 10);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    for (long lines : sizes) {
        auto n = std::to_string(lines);
        if (meanSeconds.contains("sha256sum/" + n) && meanSeconds.contains("veyrune-verify/" + n)) {
            std::printf("veyrune-verify / sha256sum at %s lines: %.2f\n", n.c_str(),
                        meanSeconds["veyrune-verify/" + n] / meanSeconds["sha256sum/" + n]);
        }
    }
    return 0;
}
