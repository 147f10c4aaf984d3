#pragma once
// How a run ended, or why it did not start: one description, and the words each audience
// reads of it. A new way to end is one value of RunEnd and one case in each renderer (here,
// the exit status of the command line and the report's sentence).

#include "solver/run_state.h"

#include <string>

namespace zmbr {

enum class RunEnd {
    Failure,     // concrete NG or rupture of a row: closing lines written
    StepLimit,   // the step after the last that may run was reached
    Stopped,     // a guard ended the run in order (non-finite value, θ out of range, ...)
    Cancelled,   // the user stopped it
    WriteFailed, // a step line could not be written: quiet end
    OpenFailed,  // the run could not open its result file
    // The run did not start:
    Refused,          // Execute: a field the analysis divides by is 0
    ResultUnwritable, // Execute: the result file cannot be written
    Unreadable,       // the parameter file cannot be read
};

// The load-step loop ran (the result file holds its steps).
bool runStarted(RunEnd end);

struct RunOutcome {
    RunEnd end = RunEnd::Failure;
    int steps = 0; // steps completed
    bool concreteNG = false;
    PerRow<bool> ruptured{};
    PerRow<bool> yielded{}; // yield rows whose bars reached fru, whatever the end
    double tauMax = 0;      // as the τxy max field shows it at the end
    // Each row's average stress and bar stress at a crack at the last step, N/mm²; zero where
    // the run ended inside a step.
    PerRow<double> rowStress{}, crackStress{};
    std::string cause;   // Stopped: what could not be computed; Refused: the refusal
    std::string message; // for an "Error" box; empty when the end is quiet
};

// "The analysis stopped at step N: " (or "before the first step: ") and what stopped it.
std::string stopMessage(int step, const std::string& what);

// The step-limit message, with the support address.
std::string stepLimitMessage();

// The end in the words of the command line's summary line: "concrete NG and rupture of rows 1,
// 2", "step limit", "stopped (...)", "the file cannot be read", ...
std::string endWords(const RunOutcome& o);

// The end as the summary table's token: "concrete_ng", "rupture", "step_limit", "stopped",
// "refused" or "unreadable".
std::string endToken(const RunOutcome& o);

} // namespace zmbr
