#include "run_panel.h"

#include "platform/clock.h"
#include "platform/memory_file_system.h"
#include "run/analysis_run.h"
#include "run/execute_command.h"
#include "run/step_sinks.h"

#include <chrono>

namespace zmbr::python {

namespace {

// Keeps each step line's numbers, and tells the progress callback of every step.
class StepValues final : public StepListener {
  public:
    StepValues(std::vector<double>& values, const StepProgress& progress, CancelFlag& cancel)
        : values_(values), progress_(progress), cancel_(cancel) {}

    void stepDone(const RunState& rs) override {
        const std::size_t before = values_.size();
        // The failure step writes the closing lines instead of a step line.
        if (rs.runEnd == 0)
            appendStepValues(values_, rs);
        if (progress_ && !progress_(rs.step, values_.data() + before, values_.size() - before))
            cancel_.store(true, std::memory_order_relaxed);
    }

  private:
    std::vector<double>& values_;
    const StepProgress& progress_;
    CancelFlag& cancel_;
};

} // namespace

RunResult runPanel(ParameterSheet sheet, const StepProgress& progress, bool keepSteps,
                   const Clock* clock) {
    const auto start = std::chrono::steady_clock::now();
    PanelInput& in = sheet.input();
    MemoryFileSystem files;
    RunResult r;
    r.rows = in.usedRows();
    if (auto refusal = prepareExecute(sheet, files)) {
        r.outcome.end = refusal->end;
        r.outcome.cause = refusal->message;
        r.outcome.message = refusal->message;
    } else {
        CancelFlag cancel{false};
        StepValues listener(r.values, progress, cancel);
        RunSettings settings;
        settings.fileSystem = &files;
        settings.clock = clock ? clock : &commandLineClock();
        settings.cancel = &cancel;
        if (keepSteps) {
            settings.listener = &listener;
            r.values.reserve(r.columns() * 256);
        }
        r.outcome = runAnalysis(in, settings);
    }
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    r.paramFile = in.paramFileName;
    r.resultFile = in.outputFileName;
    r.fileBytes = files.take(r.resultFile);
    return r;
}

} // namespace zmbr::python
