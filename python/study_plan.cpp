#include "study_plan.h"

#include "memory_files.h"
#include "numeric/number_text.h"
#include "paramfile/parameter_file.h"
#include "study/summary_table.h"

#include <cmath>
#include <filesystem>
#include <set>
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

} // namespace

StudyPlan makeStudyPlan(const ParameterSheet& base, const std::string& file,
                        const VariedTexts& vary, const std::string& dir) {
    StudyPlan plan;
    plan.file = file;
    for (const auto& [name, values] : vary) {
        VariedRange range{variedName(name), values};
        if (range.values.empty())
            throw std::invalid_argument(name + ": no values");
        for (const std::string& v : values) {
            const auto number = parseWholeNumber(v);
            if (!number || !std::isfinite(*number))
                throw std::invalid_argument(name + ": \"" + v + "\" is not a number");
        }
        plan.ranges.push_back(std::move(range));
    }
    auto count = combinationCount(plan.ranges, base);
    if (!count)
        throw std::invalid_argument(count.failure().message);
    const std::string stem = std::filesystem::path(file).stem().string();
    std::set<std::string> notes;
    for (std::size_t k = 0; k < *count; ++k) {
        ParameterSheet sheet = base;
        plan.stored.push_back(
            typeCombination(sheet, plan.ranges, combination(plan.ranges, k), notes));
        const std::string path =
            (std::filesystem::path(dir) / (stem + "-" + std::to_string(k + 1) + ".mbr")).string();
        // Saved and opened again, as --study runs its variants from their files.
        MemoryFileSystem files;
        if (writeParameterFile(sheet, files, path) != 0)
            throw std::runtime_error(path + ": the variant cannot be typed");
        ParameterSheet variant;
        variant.load();
        if (auto failure = readParameterFile(variant, files, path))
            throw std::runtime_error(path + ": " + failure->message);
        variant.input().paramFileName = path;
        plan.paths.push_back(path);
        plan.fileBytes.push_back(*files.take(path));
        plan.variants.push_back(std::move(variant));
    }
    plan.notes.assign(notes.begin(), notes.end());
    return plan;
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

std::string studySummary(const StudyPlan& plan, const std::vector<const RunResult*>& results) {
    std::vector<SummaryEntry> entries;
    for (std::size_t k = 0; k < results.size(); ++k)
        entries.push_back(summaryEntry(plan.paths[k], *results[k]));
    std::vector<std::string> names;
    for (const VariedRange& r : plan.ranges)
        names.push_back(r.name.text);
    return summaryCsv(entries, names, plan.stored);
}

StudyResults studyResults(const StudyPlan& plan, const std::vector<const RunResult*>& results) {
    StudyResults out{plan.file, {}, {}};
    for (const VariedRange& r : plan.ranges)
        out.names.push_back(r.name);
    for (std::size_t k = 0; k < results.size(); ++k) {
        const SummaryEntry e = summaryEntry(plan.paths[k], *results[k]);
        StudyPoint p{plan.stored[k], std::nullopt, endToken(e.outcome)};
        if (e.written && !e.written->steps.empty())
            p.tauMax = e.written->tauMaxStep()->tauXY;
        out.points.push_back(std::move(p));
    }
    return out;
}

} // namespace zmbr::python
