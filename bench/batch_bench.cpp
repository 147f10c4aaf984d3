// Throughput of the batch: eight copies of the default panel, one at a time and in parallel.

#include "batch_run.h"
#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <sstream>

namespace zmbr {
namespace {

std::vector<std::string> eightDefaultPanels() {
    static std::vector<std::string> files = [] {
        const auto dir =
            std::filesystem::path(std::getenv("ZMBR_BENCH_DIR")
                                      ? std::getenv("ZMBR_BENCH_DIR")
                                      : std::filesystem::temp_directory_path().string()) /
            "zmbr-batch-bench";
        std::filesystem::create_directories(dir);
        ParameterSheet sheet;
        sheet.load();
        std::vector<std::string> paths;
        for (int i = 0; i < 8; ++i) {
            paths.push_back((dir / ("panel" + std::to_string(i) + ".mbr")).string());
            writeParameterFile(sheet, realFileSystem(), paths.back());
        }
        return paths;
    }();
    return files;
}

void BM_BatchOfEight(benchmark::State& state) {
    CommandLine cl;
    cl.batch = true;
    cl.files = eightDefaultPanels();
    cl.jobs = static_cast<int>(state.range(0));
    for (auto _ : state) {
        // Fresh result files, as in real use: rewriting the same file every few
        // milliseconds would wait for the disk to finish writing the previous copy.
        state.PauseTiming();
        for (const std::string& f : cl.files)
            std::filesystem::remove(f.substr(0, f.size() - 3) + "TGC");
        state.ResumeTiming();
        std::ostringstream out, err;
        benchmark::DoNotOptimize(runBatch(cl, out, err));
    }
    state.counters["panelsPerSecond"] = benchmark::Counter(
        8.0 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// This machine's timings wander; the fastest repetition is the steadiest figure.
BENCHMARK(BM_BatchOfEight)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->ComputeStatistics("min", [](const std::vector<double>& v) {
        return *std::min_element(v.begin(), v.end());
    });

} // namespace
} // namespace zmbr
