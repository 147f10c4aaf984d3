#include "run/step_sinks.h"

namespace zmbr {

namespace {

constexpr auto kDrainEvery = std::chrono::milliseconds(100);

} // namespace

int ResultFileSink::stepDone(const RunState& rs) {
    int error = rs.runEnd == 0 ? file_.writeStep(rs) : file_.writeClosing(rs);
    // Someone watching the run sees the file grow.
    if (error == 0 && watched_ && rs.step % 64 == 0 &&
        std::chrono::steady_clock::now() - lastDrain_ >= kDrainEvery) {
        lastDrain_ = std::chrono::steady_clock::now();
        error = file_.drain();
    }
    return error;
}

GraphSink::GraphSink(RunObserver* observer, int maxSteps) : observer_(observer) {
    if (observer_)
        resetGraphs(graphs_, maxSteps);
}

void GraphSink::plot(int step, const StepPoint& p) {
    if (!observer_)
        return;
    recordStep(graphs_, step, p);
    observer_->stepPlotted(step, graphs_);
}

void GraphSink::rescale(int step, const StepPoint& p) {
    if (!observer_)
        return;
    for (int n = rescaleAfterStep(graphs_, p); n > 0; --n)
        observer_->graphsRescaled(step, graphs_);
}

} // namespace zmbr
