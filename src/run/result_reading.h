#pragma once
// Reading a τ-γ result file back: its step lines as numbers and how it closes, for the
// summary tables and the overlay plots.

#include "platform/guarded_reading.h"
#include "solver/run_state.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace zmbr {

// One step line's panel values.
struct ResultStep {
    double tauXY, gammaXY, eps1, eps2, thetaDegrees;
};

struct ResultCurve {
    int rows = 0;
    std::vector<ResultStep> steps; // the zero line is not a step
    // The closing status lines, when the run ended by failure.
    bool closed = false;
    ConcreteStatus concreteStatus = ConcreteStatus::Blank;
    std::vector<RowStatus> rowStatuses; // row 1 first; Blank for a word that is no status

    // The step of the largest τxy (the first of equals); nothing without steps.
    const ResultStep* tauMaxStep() const;
    // "concrete NG", "rupture of row 2", "rupture of rows 1, 2", or empty when not closed.
    std::string failureText() const;
};

// Reads a result file (CP932 or UTF-8, CR LF or LF) through the guarded reader, a line at a
// time and no further than its layout can reach. On a file that is not a result file says
// why, naming the line, and leaves the curve empty.
std::optional<Failure> readResultFile(FileSystem& fs, const std::string& path, ResultCurve& curve);

// Result files' names and curves, in the order given, as a figure draws them.
using PlotCurves = std::vector<std::pair<std::string, ResultCurve>>;

} // namespace zmbr
