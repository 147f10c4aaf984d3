#pragma once
// One analysis run: set-up, the load-step loop and its ends, the result file.

#include "input/panel_input.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "run/run_observer.h"
#include "solver/run_state.h"

namespace zmbr {

class StepListener;

struct RunSettings {
    FileSystem* fileSystem = nullptr; // the machine's when null
    const Clock* clock = nullptr;     // the system clock when null
    RunObserver* observer = nullptr;  // nobody watches when null
    const CancelFlag* cancel = nullptr;
    int maxSteps = kStepLimit;        // largest step that may run; also the history size
    bool walkEveryIterate = false;    // see RunContext
    StepListener* listener = nullptr; // told of every finished step when set
};

// Runs the panel whose rows 1..floor(axes) carry their failure mode and modular ratio.
// Settles the result file's name into input.outputFileName and writes that file.
RunOutcome runAnalysis(PanelInput& input, const RunSettings& settings = {});

} // namespace zmbr
