#pragma once
// The pieces a running analysis passes down to the step solution and the bond analysis.

#include "input/panel_input.h"
#include "solver/run_observer.h"
#include "solver/run_state.h"

#include <cmath>
#include <string>

namespace zmbr {

// Thrown inside a run to end it at once; caught by the driver.
struct RunStop {
    RunEnd end;
    std::string reason;
};

struct RunContext {
    const PanelInput& input;
    RunState& state;
    RunObserver* observer;
    const CancelFlag* cancel;

    // The flag is read where the user interface may have set it, so most yield points of a
    // watched run cost only the observer's count.
    void yieldToUi() const {
        const bool uiRan = observer ? observer->yieldPoint() : true;
        if (uiRan && cancel && cancel->load(std::memory_order_relaxed))
            throw RunStop{RunEnd::Cancelled, {}};
    }

    // An undefined number must never reach the result file.
    void requireFinite(double value, const char* what) const {
        if (!std::isfinite(value))
            stop(std::string(what) + " is not a finite number.");
    }

    [[noreturn]] void stop(const std::string& what) const;
};

} // namespace zmbr
