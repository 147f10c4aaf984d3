#pragma once
// A study as --study makes it: every combination of the varied values typed into a copy of the
// panel and saved as its variant's file, ready to run anywhere (a process, a thread, a browser's
// worker); and, from the variants' ends, the summary table and what the chart shows.

#include "input/parameter_sheet.h"
#include "platform/failure.h"
#include "study/parameter_study.h"
#include "study/summary_table.h"

#include <string>
#include <vector>

namespace zmbr {

struct StudyPlan {
    std::string file;                   // the panel's parameter file, which names the variants
    std::vector<VariedRange> ranges;    // in the order given
    std::vector<std::string> paths;     // each variant's parameter file: DIR/STEM-k.mbr
    std::vector<std::string> fileBytes; // each variant's file as Save writes it
    std::vector<std::vector<std::string>> stored; // each name's text as its field holds it
    std::vector<std::string> notes;               // values a field stored differently
};

// The plan for the panel in `base` (read from `file`), its variants named in the folder `dir`,
// or why there is none: a row not in use, two names for one field, too many combinations.
Expected<StudyPlan> makeStudyPlan(const ParameterSheet& base, const std::string& file,
                                  std::vector<VariedRange> ranges, const std::string& dir);

// Variant k as a run takes it: its file opened again, as --batch opens it.
Expected<ParameterSheet> variantSheet(const StudyPlan& plan, std::size_t k);

// The varied names, the summary table's last columns.
std::vector<std::string> variedColumns(const StudyPlan& plan);

// summary.csv of the variants' entries, in the plan's order.
std::string studySummaryCsv(const StudyPlan& plan, const std::vector<SummaryEntry>& entries,
                            bool timing = false);

// What the study's chart or map shows of each variant.
StudyResults studyResults(const StudyPlan& plan, const std::vector<SummaryEntry>& entries);

// The steps of a result file that a summary reads, the step of the largest τxy and the last,
// in their order: what a variant run elsewhere sends back in place of the whole file.
ResultCurve summaryCurve(const ResultCurve& curve);

} // namespace zmbr
