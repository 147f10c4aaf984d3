#pragma once
// What a run tells whoever watches it, besides what each load step reports: the run's start,
// each step's start and τxy max, the graphs' points and rescales, and the run's end.

#include "run/graph_scale.h"
#include "run/run_end.h"
#include "solver/step_observer.h"

namespace zmbr {

class RunObserver : public StepObserver {
  public:
    // Set-up done: εcr and the rows' ratios are known.
    virtual void runStarted(const RunState&) {}
    virtual void stepStarted(int /*step*/, double /*eps1*/) {}
    virtual void tauMaxShown(double) {}
    // The step's point is in the history; draw it (a point at step 1, else a line).
    virtual void stepPlotted(int /*step*/, const GraphState&) {}
    // The limits grew: redraw both graphs from the history up to step - 1.
    virtual void graphsRescaled(int /*step*/, const GraphState&) {}
    virtual void runEnded(const RunOutcome&) {}

  protected:
    using StepObserver::StepObserver;
};

} // namespace zmbr
