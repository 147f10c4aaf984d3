#pragma once
// A study for Python: the core's plan with its variants ready to run, and the summary table
// and the chart's points of the variants' results.

#include "run/result_reading.h"
#include "run_panel.h"
#include "study/study_plan.h"

#include <string>
#include <utility>
#include <vector>

namespace zmbr::python {

// The core's plan, with each variant opened again from its file, for Python to run.
struct PlannedStudy : StudyPlan {
    std::vector<ParameterSheet> variants;
};

// A name and its values' texts.
using VariedTexts = std::vector<std::pair<std::string, std::vector<std::string>>>;

// The plan, or the words of what is wrong with the names or values (thrown as
// std::invalid_argument).
PlannedStudy planStudy(const ParameterSheet& base, const std::string& file, const VariedTexts& vary,
                       const std::string& dir);

// summary.csv of the variants' results, in the plan's order.
std::string studySummary(const PlannedStudy& plan, const std::vector<const RunResult*>& results);

// What the study's chart shows of each variant.
StudyResults studyResults(const PlannedStudy& plan, const std::vector<const RunResult*>& results);

// The result file as the summary and the figures read it back; nothing where the run left
// no file or the file cannot be read.
std::optional<ResultCurve> writtenCurve(const RunResult& r);
// Reads the result file back into the result, for the summary to take.
void readBack(RunResult& r);

} // namespace zmbr::python
