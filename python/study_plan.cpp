#include "study_plan.h"

#include "numeric/number_text.h"
#include "platform/memory_file_system.h"

#include <cmath>
#include <stdexcept>

namespace zmbr::python {

namespace {

// The name as --vary takes it, or the words of why not.
VariedName variedName(const std::string& name) {
    const std::string arg = name + "=0:0:1";
    auto range = parseVary(arg);
    if (!range) {
        // The words without the command line's "--vary NAME=...: ".
        const std::string prefix = "--vary " + arg + ": ";
        const std::string& words = range.failure().message;
        throw std::invalid_argument(words.rfind(prefix, 0) == 0 ? words.substr(prefix.size())
                                                                : words);
    }
    return range->name;
}

SummaryEntry summaryEntry(const std::string& file, const RunResult& r) {
    SummaryEntry e;
    e.file = file;
    e.resultFile = r.resultFile;
    e.outcome = r.outcome;
    e.seconds = r.seconds;
    if (runStarted(r.outcome.end) || r.outcome.end == RunEnd::OpenFailed)
        e.written = r.readBack ? r.written : writtenCurve(r);
    return e;
}

std::vector<SummaryEntry> summaryEntries(const PlannedStudy& plan,
                                         const std::vector<const RunResult*>& results) {
    std::vector<SummaryEntry> entries;
    for (std::size_t k = 0; k < results.size(); ++k)
        entries.push_back(summaryEntry(plan.paths[k], *results[k]));
    return entries;
}

} // namespace

PlannedStudy planStudy(const ParameterSheet& base, const std::string& file, const VariedTexts& vary,
                       const std::string& dir) {
    std::vector<VariedRange> ranges;
    for (const auto& [name, values] : vary) {
        VariedRange range{variedName(name), values};
        if (range.values.empty())
            throw std::invalid_argument(name + ": no values");
        for (const std::string& v : values) {
            const auto number = parseWholeNumber(v);
            if (!number || !std::isfinite(*number))
                throw std::invalid_argument(name + ": \"" + v + "\" is not a number");
        }
        ranges.push_back(std::move(range));
    }
    auto plan = makeStudyPlan(base, file, std::move(ranges), dir);
    if (!plan)
        throw std::invalid_argument(plan.failure().message);
    PlannedStudy study{std::move(*plan), {}};
    for (std::size_t k = 0; k < study.paths.size(); ++k) {
        auto variant = variantSheet(study, k);
        if (!variant)
            throw std::runtime_error(variant.failure().message);
        study.variants.push_back(std::move(*variant));
    }
    return study;
}

std::optional<ResultCurve> writtenCurve(const RunResult& r) {
    if (!r.fileBytes)
        return std::nullopt;
    MemoryFileSystem files;
    files.put(r.resultFile, *r.fileBytes);
    ResultCurve curve;
    if (readResultFile(files, r.resultFile, curve))
        return std::nullopt;
    return curve;
}

void readBack(RunResult& r) {
    r.written = writtenCurve(r);
    r.readBack = true;
}

std::string studySummary(const PlannedStudy& plan, const std::vector<const RunResult*>& results) {
    return studySummaryCsv(plan, summaryEntries(plan, results));
}

StudyResults studyResults(const PlannedStudy& plan, const std::vector<const RunResult*>& results) {
    return zmbr::studyResults(plan, summaryEntries(plan, results));
}

} // namespace zmbr::python
