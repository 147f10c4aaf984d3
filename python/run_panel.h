#pragma once
// One panel run as Execute and --batch run it, in memory: the result file's bytes and the
// numbers of its step lines are kept for Python.

#include "input/parameter_sheet.h"
#include "platform/clock.h"
#include "run/result_reading.h"
#include "run/run_end.h"
#include "solver/step_observer.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zmbr::python {

struct RunResult {
    RunOutcome outcome;
    int rows = 0;                         // the columns of εr and εrcr
    std::string paramFile;                // the parameter file the header names
    std::string resultFile;               // the result file's name, as the run settles it
    std::optional<std::string> fileBytes; // the result file as --batch leaves it, if any
    std::vector<double> values;           // the step lines' numbers, a line after another
    double seconds = 0;
    // The result file as a summary reads it back, once read (a study's worker reads it, so
    // that the client does not read every file in turn).
    bool readBack = false;
    std::optional<ResultCurve> written;

    std::size_t columns() const { return 5 + 2 * static_cast<std::size_t>(rows); }
};

// Sees every finished step (its number, and its line's numbers where it wrote one); false
// cancels the run at its next yield point.
using StepProgress = std::function<bool(int step, const double* line, std::size_t count)>;

// Execute on the sheet, a copy of the panel's (the panel stays as it is), then the run, dated
// by the command line's clock. Without `keepSteps` the step lines' numbers are not kept (and no
// progress is told): the core's run alone.
// `clock` dates the result file in place of the command line's clock.
RunResult runPanel(ParameterSheet sheet, const StepProgress& progress = {}, bool keepSteps = true,
                   const Clock* clock = nullptr);

} // namespace zmbr::python
