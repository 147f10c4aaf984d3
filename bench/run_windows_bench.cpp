// The live run through the windows against the headless run, side by side in one process,
// offscreen: QT_QPA_PLATFORM=offscreen.

#include "input/parameter_sheet.h"
#include "paramfile/parameter_file.h"
#include "platform/clock.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"
#include "ui/after_toolkit_code.h"
#include "ui/program_windows.h"
#include "ui/run_windows.h"

#include "discarding_file_system.h"
#include <QApplication>
#include <QPushButton>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

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

const std::string kStepLimitPanel = std::string(ZMBR_TEST_DATA) + "/step_limit.mbr";
const std::string kTenRowPanel = std::string(ZMBR_TEST_DATA) + "/ten_rows_mixed.mbr";

// Arg 0: the default panel; 1: ten rows at mixed angles; 2: a run to the step limit, where
// the windows' fixed cost at the start and the end weighs least.
const char* panelOf(const benchmark::State& state) {
    switch (state.range(0)) {
    case 1:
        return kTenRowPanel.c_str();
    case 2:
        return kStepLimitPanel.c_str();
    default:
        return nullptr;
    }
}

void BM_HeadlessRun(benchmark::State& state) {
    ParameterSheet sheet;
    prepare(sheet, panelOf(state));
    ui::afterToolkitCode(); // the toolkit's start-up ran just before
    for (auto _ : state) {
        PanelInput in = sheet.input();
        benchmark::DoNotOptimize(runAnalysis(in, {&discard, &fixedClock, nullptr, nullptr, 10000}));
    }
}

// The run reported to the recorder the windows read, without the windows.
void BM_RecordedRun(benchmark::State& state) {
    ParameterSheet sheet;
    prepare(sheet, panelOf(state));
    ui::afterToolkitCode();
    for (auto _ : state) {
        PanelInput in = sheet.input();
        CalculationFields fields;
        benchmark::DoNotOptimize(runAnalysis(in, {&discard, &fixedClock, &fields, nullptr, 10000}));
    }
}

// Closes the step limit's "Error" box as soon as it is up, while it lives.
struct ErrorBoxAnswerer {
    QTimer timer;
    ErrorBoxAnswerer() {
        QObject::connect(&timer, &QTimer::timeout, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        });
        timer.start(1);
    }
};

// One run through the windows; its own time, from its first report to its end, with every
// refresh and event it processes.
double liveRunSeconds(const ParameterSheet& sheet) {
    PanelInput in = sheet.input();
    ui::RunWindows runs(in, discard, fixedClock);
    runs.open();
    while (!runs.runEnded())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    return runs.runSeconds();
}

void BM_LiveRun(benchmark::State& state) {
    ParameterSheet sheet;
    prepare(sheet, panelOf(state));
    ErrorBoxAnswerer answer;
    for (auto _ : state)
        state.SetIterationTime(liveRunSeconds(sheet));
}

// The two runs in turn, so both see the machine in the same state: the speed of a shared
// machine drifts by tens of percent from one second to the next. Reports the median of the
// live run's time over that of the headless run just before it.
void BM_LiveOverHeadless(benchmark::State& state) {
    ParameterSheet sheet;
    prepare(sheet, panelOf(state));
    ErrorBoxAnswerer answer;
    std::vector<double> ratios;
    for (auto _ : state) {
        // The last windows' teardown ran toolkit code; the headless run must not pay for it.
        ui::afterToolkitCode();
        PanelInput in = sheet.input();
        const auto start = Stopwatch::now();
        benchmark::DoNotOptimize(runAnalysis(in, {&discard, &fixedClock, nullptr, nullptr, 10000}));
        const double headless = std::chrono::duration<double>(Stopwatch::now() - start).count();
        const double live = liveRunSeconds(sheet);
        ratios.push_back(live / headless);
        state.SetIterationTime(live);
    }
    std::sort(ratios.begin(), ratios.end());
    state.counters["live_over_headless"] = ratios.empty() ? 0 : ratios[ratios.size() / 2];
}

// A long run (the step-limit panel) through the program's windows, cancelled by a click on
// the button after cancelAfter. Reports the worst lateness of a 1 ms timer during the run
// (how long an event waits) and the time from the click to the parameter window shown again.
void BM_CancelDuringRun(benchmark::State& state) {
    using namespace std::chrono_literals;
    const auto cancelAfter = 4ms; // the whole run takes about 10 to 15 ms
    double worstWaitMs = 0, worstCancelMs = 0;
    for (auto _ : state) {
        ui::ProgramWindows program(discard, fixedClock);
        readParameterFile(program.sheet(), realFileSystem(), kStepLimitPanel);
        program.form1().show();
        QCoreApplication::processEvents();
        program.form1().command(1)->click();
        ui::RunWindows* runs = program.runs();
        if (!runs) {
            state.SkipWithError("Execute refused the panel");
            return;
        }
        // A timer due every millisecond: how late it fires is how long any event waits.
        QTimer tick;
        auto due = Stopwatch::now() + 1ms;
        QObject::connect(&tick, &QTimer::timeout, [&] {
            const auto now = Stopwatch::now();
            if (runs->runStarted() && !runs->runEnded())
                worstWaitMs = std::max(
                    worstWaitMs, std::chrono::duration<double, std::milli>(now - due).count());
            due = now + 1ms;
        });
        tick.start(1);
        // The click comes from the event queue while the run goes on, as a user's would;
        // its wait counts from the moment it was due.
        double cancelMs = -1;
        const auto clickDue = Stopwatch::now() + cancelAfter;
        QTimer::singleShot(cancelAfter, runs->form2(), [&] {
            runs->form2()->command1()->click();
            if (program.form1().isVisible())
                cancelMs =
                    std::chrono::duration<double, std::milli>(Stopwatch::now() - clickDue).count();
        });
        while (cancelMs < 0 && !runs->runEnded())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (cancelMs < 0) {
            state.SkipWithError("the run ended before the click");
            return;
        }
        worstCancelMs = std::max(worstCancelMs, cancelMs);
        state.SetIterationTime(cancelMs / 1000);
        tick.stop();
        while (program.runs())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    state.counters["worst_event_wait_ms"] = worstWaitMs;
    state.counters["worst_cancel_ms"] = worstCancelMs;
}

BENCHMARK(BM_HeadlessRun)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RecordedRun)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveRun)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_LiveOverHeadless)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK(BM_CancelDuringRun)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

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
