#pragma once
// A study as --study makes it: every combination of the varied values typed into a copy of the
// panel, saved as its variant file and read back from it, ready to run anywhere; and the
// summary table of the variants' results.

#include "run/result_reading.h"
#include "run_panel.h"
#include "study/parameter_study.h"

#include <string>
#include <utility>
#include <vector>

namespace zmbr::python {

struct StudyPlan {
    std::string file;                // the panel's parameter file, which names the variants
    std::vector<VariedRange> ranges; // in the order given
    std::vector<std::string> paths;  // each variant's parameter file
    std::vector<std::string> fileBytes;
    std::vector<ParameterSheet> variants;         // each as read back from its file
    std::vector<std::vector<std::string>> stored; // each name's text as its field holds it
    std::vector<std::string> notes;               // values a field stored differently
};

// A name and its values' texts.
using VariedTexts = std::vector<std::pair<std::string, std::vector<std::string>>>;

// The plan, or the words of what is wrong with the names or values (thrown as
// std::invalid_argument).
StudyPlan makeStudyPlan(const ParameterSheet& base, const std::string& file,
                        const VariedTexts& vary, const std::string& dir);

// summary.csv of the variants' results, in the plan's order.
std::string studySummary(const StudyPlan& plan, const std::vector<const RunResult*>& results);

// What the study's chart shows of each variant.
StudyResults studyResults(const StudyPlan& plan, const std::vector<const RunResult*>& results);

// The result file as the summary and the figures read it back; nothing where the run left
// no file or the file cannot be read.
std::optional<ResultCurve> writtenCurve(const RunResult& r);
// Reads the result file back into the result, for the summary to take.
void readBack(RunResult& r);

} // namespace zmbr::python
