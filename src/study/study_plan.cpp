#include "study/study_plan.h"

#include "paramfile/parameter_file.h"
#include "platform/memory_file_system.h"

#include <filesystem>
#include <set>

namespace zmbr {

Expected<StudyPlan> makeStudyPlan(const ParameterSheet& base, const std::string& file,
                                  std::vector<VariedRange> ranges, const std::string& dir) {
    StudyPlan plan;
    plan.file = file;
    plan.ranges = std::move(ranges);
    auto count = combinationCount(plan.ranges, base);
    if (!count)
        return count.failure();
    const std::string stem = std::filesystem::path(file).stem().string();
    std::set<std::string> notes;
    for (std::size_t k = 0; k < *count; ++k) {
        ParameterSheet sheet = base;
        plan.stored.push_back(
            typeCombination(sheet, plan.ranges, combination(plan.ranges, k), notes));
        const std::string path =
            (std::filesystem::path(dir) / (stem + "-" + std::to_string(k + 1) + ".mbr")).string();
        MemoryFileSystem files;
        if (writeParameterFile(sheet, files, path) != 0)
            return Failure{path + ": the variant cannot be saved"};
        plan.paths.push_back(path);
        plan.fileBytes.push_back(*files.take(path));
    }
    plan.notes.assign(notes.begin(), notes.end());
    return plan;
}

Expected<ParameterSheet> variantSheet(const StudyPlan& plan, std::size_t k) {
    MemoryFileSystem files;
    files.put(plan.paths.at(k), plan.fileBytes.at(k));
    ParameterSheet variant;
    variant.load();
    if (auto failure = readParameterFile(variant, files, plan.paths[k]))
        return Failure{plan.paths[k] + ": " + failure->message};
    variant.input().paramFileName = plan.paths[k];
    return variant;
}

std::vector<std::string> variedColumns(const StudyPlan& plan) {
    std::vector<std::string> names;
    for (const VariedRange& r : plan.ranges)
        names.push_back(r.name.text);
    return names;
}

std::string studySummaryCsv(const StudyPlan& plan, const std::vector<SummaryEntry>& entries,
                            bool timing) {
    return summaryCsv(entries, variedColumns(plan), plan.stored, timing);
}

StudyResults studyResults(const StudyPlan& plan, const std::vector<SummaryEntry>& entries) {
    StudyResults out{plan.file, {}, {}};
    for (const VariedRange& r : plan.ranges)
        out.names.push_back(r.name);
    for (std::size_t k = 0; k < entries.size(); ++k) {
        StudyPoint p{plan.stored[k], std::nullopt, endToken(entries[k].outcome)};
        if (entries[k].written && !entries[k].written->steps.empty())
            p.tauMax = entries[k].written->tauMaxStep()->tauXY;
        out.points.push_back(std::move(p));
    }
    return out;
}

ResultCurve summaryCurve(const ResultCurve& curve) {
    ResultCurve kept;
    kept.rows = curve.rows;
    kept.closed = curve.closed;
    kept.concreteStatus = curve.concreteStatus;
    kept.rowStatuses = curve.rowStatuses;
    if (const ResultStep* top = curve.tauMaxStep()) {
        kept.steps.push_back(*top);
        if (top != &curve.steps.back())
            kept.steps.push_back(curve.steps.back());
    }
    return kept;
}

} // namespace zmbr
