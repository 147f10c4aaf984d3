#include "study_command.h"
#include "platform/error_text.h"

#include "batch_run.h"
#include "batch_summary.h"
#include "ordered_jobs.h"
#include "paramfile/parameter_file.h"
#include "platform/clock.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <set>
#include <system_error>

namespace zmbr {

namespace {

namespace fs = std::filesystem;

// The study's folder, made where it is missing and found writable: summary.csv's partial file
// is created in it. A table or chart left by an earlier study goes, so that nothing from
// before stands for this study's result.
std::string prepareFolder(const std::string& dir, WholeFile& table) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    int error = ec ? ec.value() : table.open();
    if (error)
        return "--out " + dir + ": the folder cannot be written (" + errorText(error) + ")";
    for (const char* old : {"summary.csv", "chart.svg", "chart.png", "report.pdf"})
        fs::remove(fs::path(dir) / old, ec);
    return "";
}

std::string variantPath(const std::string& dir, const std::string& stem, std::size_t k) {
    return (fs::path(dir) / (stem + "-" + std::to_string(k) + ".mbr")).string();
}

} // namespace

int runStudy(const CommandLine& cl, std::ostream& out, std::ostream& err,
             const ChartWriter& writeChart, const ReportWriter& writeReport) {
    auto usage = [&err](const std::string& message) {
        err << "zmbr: " << message << "\n";
        return 2;
    };
    std::vector<VariedRange> ranges;
    for (const std::string& arg : cl.vary) {
        auto range = parseVary(arg);
        if (!range)
            return usage(range.failure().message);
        ranges.push_back(*range);
    }
    ParameterSheet base;
    base.load();
    if (auto failure = readParameterFile(base, realFileSystem(), cl.study))
        return usage(cl.study + ": " + failure->message);
    auto count = combinationCount(ranges, base);
    if (!count)
        return usage(count.failure().message);
    WholeFile table(realFileSystem(), (fs::path(cl.out) / "summary.csv").string());
    if (std::string problem = prepareFolder(cl.out, table); !problem.empty())
        return usage(problem);
    warnOfMalformedSourceDateEpoch(err);

    // Every variant typed and saved first; then they run as a batch.
    const std::string stem = fs::path(cl.study).stem().string();
    std::vector<std::string> files;
    std::vector<std::vector<std::string>> stored;
    std::set<std::string> notes;
    for (std::size_t k = 0; k < *count; ++k) {
        ParameterSheet sheet = base;
        stored.push_back(typeCombination(sheet, ranges, combination(ranges, k), notes));
        files.push_back(variantPath(cl.out, stem, k + 1));
        if (int code = writeParameterFile(sheet, realFileSystem(), files.back())) {
            err << "zmbr: " << files.back() << ": " << saveFailureMessage(code) << " ("
                << errorText(code) << ")\n";
            return 2;
        }
    }
    for (const std::string& note : notes)
        err << "zmbr: " << note << "\n";

    int exitCode = 0;
    const auto entries = runForSummary(files, cl.jobs > 0 ? cl.jobs : defaultJobs(), cl.summaryOnly,
                                       out, err, exitCode);
    std::vector<std::string> names;
    StudyResults results{cl.study, {}, {}};
    for (const VariedRange& r : ranges) {
        names.push_back(r.name.text);
        results.names.push_back(r.name);
    }
    const std::string csv = summaryCsv(entries, names, stored, cl.timing);
    if (int code = table.commit(csv)) {
        err << "zmbr: " << cl.out << "/summary.csv: the summary table cannot be written ("
            << errorText(code) << ")\n";
        return 2;
    }
    for (std::size_t k = 0; k < entries.size(); ++k) {
        StudyPoint p{stored[k], std::nullopt, endToken(entries[k].outcome)};
        if (entries[k].written && !entries[k].written->steps.empty())
            p.tauMax = entries[k].written->tauMaxStep()->tauXY;
        results.points.push_back(std::move(p));
    }
    const std::string svg = (fs::path(cl.out) / "chart.svg").string();
    const std::string png = (fs::path(cl.out) / "chart.png").string();
    if (auto failure = writeChart(results, svg, png)) {
        err << "zmbr: " << failure->message << "\n";
        return 2;
    }
    if (cl.report && writeReport) {
        StudyReportInput in{reportFileOf(realFileSystem(), cl.study),
                            &base,
                            ranges,
                            entries,
                            stored,
                            results,
                            reportFileOfBytes((fs::path(cl.out) / "summary.csv").string(), csv),
                            commandLineClock().now(),
                            cl.signOff};
        const std::string path =
            cl.plotOut.empty() ? (fs::path(cl.out) / "report.pdf").string() : cl.plotOut;
        if (auto failure = writeReport(studyReport(in), path)) {
            err << "zmbr: " << failure->message << "\n";
            return 2;
        }
    }
    return exitCode;
}

} // namespace zmbr
