// How long whole runs take, and how much work they do: steps, angle iterates, inner passes.
// Run with: build/bench/zmbr_bench

#include "input/execute_command.h"
#include "solver/analysis_run.h"

#include "discarding_file_system.h"

#include <benchmark/benchmark.h>

#include <string>

namespace zmbr {
namespace {

using bench::DiscardingFileSystem;

struct WorkCounter final : RunObserver {
    long thetaIterates = 0, innerPasses = 0;
    void thetaIterate(int, double) override { ++thetaIterates; }
    void innerPassDone(const InnerPass&) override { ++innerPasses; }
};

PanelInput defaultPanel() {
    PanelInput in = PanelInput::defaults();
    std::array<std::string, kMaxRows> modes;
    modes.fill("rupture");
    deriveRowValues(in, modes);
    return in;
}

// Ten rows from 0° to 180°, steel and fibre mixed.
PanelInput tenRowPanel() {
    PanelInput in = PanelInput::defaults();
    in.initialTheta = 50;
    in.t = 20;
    in.sm = 12;
    in.fc = -35;
    in.epsC = -0.0022f;
    in.Ec = 26000;
    in.tauBy = 12;
    in.sBy = 0.004f;
    std::array<std::string, kMaxRows> modes;
    for (int i = 0; i < kMaxRows; ++i) {
        const bool steel = i % 3 == 0;
        const bool heavy = i % 2 == 0;
        in.rows[i] = {20.0f * i, heavy ? 0.8f : 0.6f, 12, steel ? 900.0f : 1500.0f,
                      heavy ? 150000.0f : 45000.0f};
        modes[i] = steel ? "yield" : "rupture";
    }
    deriveRowValues(in, modes);
    return in;
}

void runPanel(benchmark::State& state, const PanelInput& panel) {
    DiscardingFileSystem fs;
    WorkCounter work;
    RunOutcome outcome;
    for (auto _ : state) {
        PanelInput in = panel;
        in.outputFileName = "bench.mbr";
        outcome = runAnalysis(in, {&fs, nullptr, nullptr, nullptr, 10000});
        benchmark::DoNotOptimize(outcome.tauMax);
    }
    PanelInput in = panel;
    in.outputFileName = "bench.mbr";
    runAnalysis(in, {&fs, nullptr, &work, nullptr, 10000});
    state.counters["steps"] = outcome.steps;
    state.counters["thetaIterates"] = static_cast<double>(work.thetaIterates);
    state.counters["innerPasses"] = static_cast<double>(work.innerPasses);
    state.counters["innerPassRate"] = benchmark::Counter(
        static_cast<double>(work.innerPasses) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
}

void BM_DefaultPanel(benchmark::State& state) {
    runPanel(state, defaultPanel());
}
void BM_TenRowPanel(benchmark::State& state) {
    runPanel(state, tenRowPanel());
}

BENCHMARK(BM_DefaultPanel)->Unit(benchmark::kMillisecond)->ThreadRange(1, 2)->UseRealTime();
BENCHMARK(BM_TenRowPanel)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zmbr
