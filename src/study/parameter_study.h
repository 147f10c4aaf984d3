#pragma once
// A parameter study: a few fields of a panel varied over ranges, and every combination of
// their values typed into the parameter sheet as a user types it.

#include "input/panel_input.h"
#include "input/parameter_sheet.h"
#include "platform/failure.h"

#include <cstddef>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace zmbr {

inline constexpr std::size_t kMaxCombinations = 10000;

// A field to vary: one of the panel's, or a row field of one row or of every used row.
struct VariedName {
    std::string text; // as given: "fc", "Ar", "Ar.2"
    PanelField field = PanelField::T;
    bool rowField = false;
    int row = 0; // 1..10 for one row; 0 for a panel field or every used row
    // The name with its unit, for a chart's axis: "fc (N/mm²)".
    std::string caption() const;
};

struct VariedRange {
    VariedName name;
    std::vector<std::string> values; // as typed, in the order of the range
};

// The names a study may vary, from the field registry, the panel's or the rows': "t, sm and fc".
std::string variedNames(bool rowFields, const char* separator, const char* lastSeparator);

// "NAME=FROM:TO:STEP". A failure for an unknown name, a range that is not three numbers, a
// step of 0, an empty range or more values than a study may run.
Expected<VariedRange> parseVary(const std::string& arg);

// The number of combinations of the ranges for the panel in the sheet. A failure when a row
// is not in use, two names vary one field or there are more than kMaxCombinations.
Expected<std::size_t> combinationCount(const std::vector<VariedRange>& ranges,
                                       const ParameterSheet& sheet);

// Combination k (from 0) as the index of each name's value; the last name changes fastest.
std::vector<std::size_t> combination(const std::vector<VariedRange>& ranges, std::size_t k);

// Types each name's value of the combination into its field, or its fields, and leaves them
// as a user does; a value typed into one row takes back what the fill-down gave the rows below.
// Returns each name's text as the field now holds it. A value the field stored differently
// adds a line to `notes`: "thetaR = 210 is stored as 180.0 (the field's limit)".
std::vector<std::string> typeCombination(ParameterSheet& sheet,
                                         const std::vector<VariedRange>& ranges,
                                         const std::vector<std::size_t>& values,
                                         std::set<std::string>& notes);

// What a chart shows of one variant.
struct StudyPoint {
    std::vector<std::string> stored; // each varied name's text as the field holds it
    std::optional<double> tauMax;    // from the result file's step lines
    std::string end;                 // as in the summary table: "concrete_ng", "rupture", ...
};

struct StudyResults {
    std::string file; // the parameter file the variants come from
    std::vector<VariedName> names;
    std::vector<StudyPoint> points; // in the order of the variants
};

} // namespace zmbr
