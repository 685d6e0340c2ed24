// veyrune-verify against sha256sum on the same file, side by side in one run:
// wall time and peak resident memory of each process, on logs of 100,000 and
// 1,000,000 lines. The file is in the page cache for both (written, then read
// by the first iteration). Both run under GNU time (/usr/bin/time), which
// reports the tool's own peak memory; a child spawned straight from this
// process would be charged with this process's memory too. Then, on the same
// 1,000,000 events, the checks of a collector's copy (seal lines among the
// events, batches sent twice): the copy alone, and against the local log.

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

// Runs `program args...` with stdout to /dev/null and measures it from spawn to exit.
Run runTool(const std::string& program, const std::vector<std::string>& toolArgs,
            int expectedStatus = 0) {
    auto report = std::filesystem::temp_directory_path() / "veyrune-bench-rss.txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    std::vector<std::string> args = {"/usr/bin/time", "-f", "%M", "-o", report.string(), program};
    args.insert(args.end(), toolArgs.begin(), toolArgs.end());
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
    if (!WIFEXITED(status) || WEXITSTATUS(status) != expectedStatus) {
        throw std::runtime_error(program + " ended otherwise than expected");
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
        auto run = runTool(program, {file.string()});
        state.SetIterationTime(run.seconds);
        total += run.seconds;
        peak = std::max(peak, run.maxResidentKiB);
    }
    meanSeconds[name] = total / double(state.iterations());
    state.counters["maxRSS_MiB"] = double(peak) / 1024.0;
    state.counters["file_MB"] = double(std::filesystem::file_size(file)) / 1e6;
    state.SetBytesProcessed(state.iterations() * std::int64_t(std::filesystem::file_size(file)));
}

// A collector's copy of the log: a seal line after every 100 events and, every
// 100,000 events, the last 128 sent again (a crash before their acknowledgement).
std::filesystem::path collectorCopy(const std::filesystem::path& log, long lines) {
    auto path = log.parent_path() / ("collector-" + std::to_string(lines) + "-v2.log");
    if (std::filesystem::exists(path)) {
        return path;
    }
    std::ifstream in(log);
    std::ofstream out(path.string() + ".partial", std::ios::trunc | std::ios::binary);
    std::vector<std::string> recent;
    // Seal-shaped lines, each its own; the seals are not checked here.
    auto seal = [](long seq) {
        return R"({"epoch":)" + std::to_string(seq / 100) +
               R"(,"from":"2026-12-07T14:00:00Z","to":"2026-12-07T14:15:00Z",)"
               R"("sealedAt":"2026-12-07T14:15:00Z","seq":)" +
               std::to_string(seq) + R"(,"line":")" + EventChain::genesis + R"(","prev":")" +
               EventChain::genesis + R"(","closing":false,"mac":")" + EventChain::genesis + R"("})";
    };
    long n = 0;
    for (std::string line; std::getline(in, line);) {
        out << line << '\n';
        recent.push_back(line);
        if (recent.size() > 128) {
            recent.erase(recent.begin());
        }
        if (++n % 100 == 0) {
            out << seal(n) << '\n';
        }
        if (n % 100000 == 0) {
            for (const auto& again : recent) {
                out << again << '\n';
            }
        }
    }
    out.close();
    std::filesystem::rename(path.string() + ".partial", path);
    return path;
}

// The central checks beside the local one, on the same 1,000,000 events.
void timeCentral(benchmark::State& state, const std::string& name, bool against) {
    auto log = bench::sealedLog(1000000);
    auto copy = collectorCopy(log, 1000000);
    std::vector<std::string> args = {copy.string()};
    if (against) {
        args = {"--against", copy.string(), log.string()};
    }
    double total = 0;
    long peak = 0;
    for (auto _ : state) {
        auto run = runTool(VEYRUNE_VERIFY_PATH, args);
        state.SetIterationTime(run.seconds);
        total += run.seconds;
        peak = std::max(peak, run.maxResidentKiB);
    }
    meanSeconds[name] = total / double(state.iterations());
    state.counters["maxRSS_MiB"] = double(peak) / 1024.0;
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
    for (bool against : {false, true}) {
        std::string name =
            against ? "veyrune-verify-against/1000000" : "veyrune-verify-central/1000000";
        benchmark::RegisterBenchmark(
            name.c_str(), [=](benchmark::State& state) { timeCentral(state, name, against); })
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
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
    for (const char* central : {"veyrune-verify-central", "veyrune-verify-against"}) {
        std::string name = std::string(central) + "/1000000";
        if (meanSeconds.contains(name) && meanSeconds.contains("veyrune-verify/1000000")) {
            std::printf("%s / veyrune-verify at 1000000 lines: %.2f\n", central,
                        meanSeconds[name] / meanSeconds["veyrune-verify/1000000"]);
        }
    }
    return 0;
}
