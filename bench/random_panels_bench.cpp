// The yield-zone search on panels whose searches walk far: the panel of a million iterates,
// walked iterate by iterate and with its proven stretches passed over, and the 2 000 random
// panels of the differential check (seed 1) run one after the other, with the slowest of them.
// Run with: build/bench/zmbr_bench --benchmark_filter='LongSearch|RandomPanel'

#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "random_panel.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"

#include "discarding_file_system.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace zmbr {
namespace {

using Stopwatch = std::chrono::steady_clock;

// Read and executed as the batch does; nothing where the file is refused.
std::optional<PanelInput> prepared(const std::string& path) {
    bench::DiscardingFileSystem fs;
    ParameterSheet sheet;
    sheet.load();
    if (readParameterFile(sheet, realFileSystem(), path) || prepareExecute(sheet, fs))
        return std::nullopt;
    return sheet.input();
}

std::optional<PanelInput> preparedFromBytes(const std::string& bytes) {
    const auto file = std::filesystem::temp_directory_path() / "zmbr-bench-panel.mbr";
    std::ofstream(file, std::ios::binary) << bytes;
    auto in = prepared(file.string());
    std::filesystem::remove(file);
    return in;
}

double seconds(const PanelInput& panel, bool walkEveryIterate) {
    bench::DiscardingFileSystem fs;
    PanelInput in = panel;
    RunSettings settings{&fs, nullptr, nullptr, nullptr, 10000};
    settings.walkEveryIterate = walkEveryIterate;
    const auto start = Stopwatch::now();
    runAnalysis(in, settings);
    return std::chrono::duration<double>(Stopwatch::now() - start).count();
}

void longSearch(benchmark::State& state, bool walkEveryIterate) {
    static const PanelInput panel =
        *prepared(std::string(ZMBR_SOURCE_DIR) + "/tests/data/long_search.mbr");
    for (auto _ : state)
        state.SetIterationTime(seconds(panel, walkEveryIterate));
}
void BM_LongSearchPanel(benchmark::State& state) {
    longSearch(state, false);
}
void BM_LongSearchPanelEveryIterate(benchmark::State& state) {
    longSearch(state, true);
}

void BM_RandomPanelSet(benchmark::State& state) {
    // Each with its number k, the name p<k>.mbr the differential check gives it.
    static const std::vector<std::pair<int, PanelInput>> panels = [] {
        std::vector<std::pair<int, PanelInput>> out;
        for (int k = 0; k < 2000; ++k) {
            panelgen::SeededChoices choices(1 * 1000003ULL + static_cast<unsigned long long>(k));
            if (auto in = preparedFromBytes(panelgen::randomPanel(choices).bytes))
                out.emplace_back(k, *in);
        }
        return out;
    }();
    double slowest = 0;
    int slowestAt = 0;
    for (auto _ : state) {
        double total = 0;
        for (const auto& [k, panel] : panels) {
            const double s = seconds(panel, false);
            total += s;
            if (s > slowest) {
                slowest = s;
                slowestAt = k;
            }
        }
        state.SetIterationTime(total);
    }
    state.counters["panels"] = static_cast<double>(panels.size());
    state.counters["slowestMs"] = slowest * 1e3;
    state.counters["slowestPanel"] = slowestAt;
}

BENCHMARK(BM_LongSearchPanel)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_LongSearchPanelEveryIterate)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_RandomPanelSet)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);

} // namespace
} // namespace zmbr
