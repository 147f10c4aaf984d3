// How long whole runs take, and where the time goes: per inner pass, per row of a pass, and
// the shares of a run spent formatting its result lines and writing them to a file.
// Run with: build/bench/zmbr_bench

#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"
#include "run/result_file.h"

#include "discarding_file_system.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace zmbr {
namespace {

using bench::DiscardingFileSystem;
using Stopwatch = std::chrono::steady_clock;

// What a step line is made of.
struct LineValues {
    double eps1, tauXY, gammaXY, eps2, theta;
    PerRow<double> epsR, epsRcr;
};

// Counts the work of a run and keeps the values of each step line.
struct StepRecorder final : RunObserver {
    const RunState* run = nullptr;
    std::vector<LineValues> lines;
    void runStarted(const RunState& rs) override { run = &rs; }
    void stepPlotted(int, const GraphState&) override {
        const StepState& st = run->stepState;
        LineValues v{run->eps1, st.tauXY, st.gammaXY, st.eps2, st.theta, st.epsR, {}};
        for (int i = 0; i < run->rows; ++i)
            v.epsRcr[i] = run->bond[i].epsRcr;
        lines.push_back(v);
    }
};

PanelInput panelOf(const std::string& file) {
    ParameterSheet sheet;
    sheet.load();
    readParameterFile(sheet, realFileSystem(), std::string(ZMBR_SOURCE_DIR) + "/" + file);
    DiscardingFileSystem fs;
    prepareExecute(sheet, fs);
    PanelInput in = sheet.input();
    in.outputFileName = "bench.mbr";
    return in;
}

double secondsOfRun(const PanelInput& panel, FileSystem& fs, const std::string& name) {
    PanelInput in = panel;
    in.outputFileName = name;
    const auto start = Stopwatch::now();
    runAnalysis(in, {&fs, nullptr, nullptr, nullptr, 10000});
    return std::chrono::duration<double>(Stopwatch::now() - start).count();
}

// The fastest of a few tries: this machine's speed wanders.
template <typename F> double fastest(F f) {
    double best = 1e9;
    for (int i = 0; i < 5; ++i)
        best = std::min(best, f());
    return best;
}

void runPanel(benchmark::State& state, const PanelInput& panel) {
    DiscardingFileSystem fs;
    for (auto _ : state) {
        PanelInput in = panel;
        benchmark::DoNotOptimize(runAnalysis(in, {&fs, nullptr, nullptr, nullptr, 10000}));
    }
    if (state.thread_index() != 0)
        return;
    StepRecorder work;
    PanelInput in = panel;
    const RunOutcome outcome = runAnalysis(in, {&fs, nullptr, &work, nullptr, 10000});

    const double run = fastest([&] { return secondsOfRun(panel, fs, "bench.mbr"); });
    const double formatting = fastest([&] {
        RunState s;
        s.rows = in.usedRows();
        std::string line;
        const auto start = Stopwatch::now();
        for (const LineValues& v : work.lines) {
            s.eps1 = v.eps1;
            s.stepState.tauXY = v.tauXY;
            s.stepState.gammaXY = v.gammaXY;
            s.stepState.eps2 = v.eps2;
            s.stepState.theta = v.theta;
            s.stepState.epsR = v.epsR;
            for (int i = 0; i < s.rows; ++i)
                s.bond[i].epsRcr = v.epsRcr[i];
            line.clear();
            appendStepLine(line, s);
            benchmark::DoNotOptimize(line.data());
        }
        return std::chrono::duration<double>(Stopwatch::now() - start).count();
    });
    // A fresh file each time: emptying one just written waits for the disk.
    const auto file = std::filesystem::temp_directory_path() / "zmbr-bench.mbr";
    const std::string result = file.string().substr(0, file.string().size() - 3) + "TGC";
    const double toDisk = fastest([&] {
        std::filesystem::remove(result);
        return secondsOfRun(panel, realFileSystem(), file);
    });
    std::filesystem::remove(result);

    const double passes = static_cast<double>(work.innerPasses());
    state.counters["steps"] = outcome.steps;
    state.counters["thetaIterates"] = static_cast<double>(work.thetaIterates());
    state.counters["innerPasses"] = passes;
    state.counters["nsPerPass"] = run * 1e9 / passes;
    state.counters["nsPerRowPass"] = run * 1e9 / (passes * in.usedRows());
    state.counters["formatShare"] = formatting / run;
    state.counters["writeShare"] = std::max(0.0, toDisk - run) / toDisk;
}

void BM_DefaultPanel(benchmark::State& state) {
    static const PanelInput panel = panelOf("tests/data/default.mbr");
    runPanel(state, panel);
}
void BM_TenRowPanel(benchmark::State& state) {
    static const PanelInput panel = panelOf("examples/ten_rows.mbr");
    runPanel(state, panel);
}
// 10 000 steps of two rows: the run of the most result lines.
void BM_StepLimitPanel(benchmark::State& state) {
    static const PanelInput panel = panelOf("examples/step_limit.mbr");
    runPanel(state, panel);
}

BENCHMARK(BM_DefaultPanel)->Unit(benchmark::kMillisecond)->ThreadRange(1, 2)->UseRealTime();
BENCHMARK(BM_TenRowPanel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StepLimitPanel)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zmbr
