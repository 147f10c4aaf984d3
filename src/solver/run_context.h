#pragma once
// The pieces a running analysis passes down to the step solution and the bond analysis.

#include "solver/run_parameters.h"
#include "solver/run_state.h"
#include "solver/step_observer.h"

#include <string>

namespace zmbr {

// Thrown where the step cannot go on (an angle search that does not settle); the run ends
// in order, saying what stopped it.
struct AnalysisStop {
    std::string what;
};

struct RunContext {
    const RunParameters& params;
    RunState& state;
    StepObserver* observer;
    const CancelFlag* cancel;
    // The yield-zone search evaluates every iterate instead of passing over those through which
    // |Pb| is proven to keep falling: the same result, slower; for checking that proof.
    bool walkEveryIterate = false;

    // A batch run has nobody to yield to: its hot loops skip the yield points.
    bool watched() const { return observer || cancel; }

    // The flag is read where the user interface may have set it, so most yield points of a
    // watched run cost only the observer's count.
    void yieldToUi() const {
        const bool uiRan = observer ? observer->yieldPoint() : true;
        if (uiRan && cancel && cancel->load(std::memory_order_relaxed))
            throw CancelRequested{};
    }

    [[noreturn]] void stop(const std::string& what) const;
};

} // namespace zmbr
