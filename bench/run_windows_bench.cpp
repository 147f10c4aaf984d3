// The live run through the windows against the headless run, side by side in one process,
// offscreen: QT_QPA_PLATFORM=offscreen.

#include "input/clock.h"
#include "input/execute_command.h"
#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "results/ui/run_windows.h"
#include "solver/analysis_run.h"

#include "discarding_file_system.h"
#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>

namespace zmbr {
namespace {

using Stopwatch = std::chrono::steady_clock;

using bench::DiscardingFileSystem;

DiscardingFileSystem discard;
const FixedClock fixedClock{{2026, 12, 6, 9, 30, 5}};

void prepare(ParameterSheet& sheet, const char* panelFile) {
    sheet.load();
    if (panelFile)
        readParameterFile(sheet, realFileSystem(), panelFile);
    prepareExecute(sheet, discard);
}

const std::string kTenRowPanel = std::string(ZMBR_TEST_DATA) + "/ten_rows_mixed.mbr";

// Arg 0: the default panel; 1: ten rows at mixed angles.
const char* panelOf(const benchmark::State& state) {
    return state.range(0) == 0 ? nullptr : kTenRowPanel.c_str();
}

void BM_HeadlessRun(benchmark::State& state) {
    ParameterSheet sheet;
    prepare(sheet, panelOf(state));
    for (auto _ : state) {
        PanelInput in = sheet.input();
        benchmark::DoNotOptimize(runAnalysis(in, {&discard, &fixedClock, nullptr, nullptr, 10000}));
    }
}

// The run reported to the recorder the windows read, without the windows.
void BM_RecordedRun(benchmark::State& state) {
    ParameterSheet sheet;
    prepare(sheet, panelOf(state));
    for (auto _ : state) {
        PanelInput in = sheet.input();
        CalculationFields fields;
        benchmark::DoNotOptimize(runAnalysis(in, {&discard, &fixedClock, &fields, nullptr, 10000}));
    }
}

// The same run with its windows live; the time is the run's own, from its first report to
// its end, with every refresh and event it processes.
void BM_LiveRun(benchmark::State& state) {
    ParameterSheet sheet;
    prepare(sheet, panelOf(state));
    for (auto _ : state) {
        PanelInput in = sheet.input();
        ui::RunWindows runs(in, discard, fixedClock);
        runs.open();
        while (!runs.runEnded())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        state.SetIterationTime(runs.runSeconds());
    }
}

BENCHMARK(BM_HeadlessRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordedRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveRun)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace
} // namespace zmbr

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
