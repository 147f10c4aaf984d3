#pragma once
// A study as a grid: τxy max over the values of its first two varied names, for a map when a
// chart would hold too many curves.

#include "study/parameter_study.h"

#include <optional>
#include <string>
#include <vector>

namespace zmbr {

// A chart of curves holds about this many; beyond it, or with more than two names, the study
// is drawn as a map.
inline constexpr std::size_t kMostCurves = 8;

bool studyWantsMap(const StudyResults& results);

struct StudyCell {
    std::optional<double> tauMax;       // nothing where no variant of the cell has a step
    std::string end;                    // how the variant shown ended ("concrete_ng", ...)
    std::optional<std::size_t> variant; // the variant shown (from 0), or the cell's first
};

struct StudyGrid {
    std::vector<double> xs, ys;   // the first and second names' values, ascending
    std::vector<StudyCell> cells; // ys.size() rows of xs.size() cells, the lowest y first
    // The names beyond the second, over whose values each cell shows the lowest τxy max.
    std::vector<std::string> folded;
    const StudyCell& at(std::size_t xi, std::size_t yi) const { return cells[yi * xs.size() + xi]; }
};

// Needs at least two varied names.
StudyGrid studyGrid(const StudyResults& results);

} // namespace zmbr
