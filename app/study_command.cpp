#include "study_command.h"
#include "platform/error_text.h"

#include "batch_run.h"
#include "batch_summary.h"
#include "ordered_jobs.h"
#include "paramfile/parameter_file.h"
#include "platform/clock.h"
#include "study/study_plan.h"

#include <filesystem>
#include <ostream>
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

// The file's bytes, written whole: 0 or the errno.
int writeBytes(const std::string& path, const std::string& bytes) {
    int error = 0;
    auto file = realFileSystem().create(path, error);
    if (!file)
        return error;
    error = file->write(bytes);
    const int closed = file->close();
    return error ? error : closed;
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
    auto plan = makeStudyPlan(base, cl.study, ranges, cl.out);
    if (!plan)
        return usage(plan.failure().message);
    WholeFile table(realFileSystem(), (fs::path(cl.out) / "summary.csv").string());
    if (std::string problem = prepareFolder(cl.out, table); !problem.empty())
        return usage(problem);
    warnOfMalformedSourceDateEpoch(err);

    // Every variant saved first; then they run as a batch.
    for (std::size_t k = 0; k < plan->paths.size(); ++k)
        if (int code = writeBytes(plan->paths[k], plan->fileBytes[k])) {
            err << "zmbr: " << plan->paths[k] << ": " << saveFailureMessage(code) << " ("
                << errorText(code) << ")\n";
            return 2;
        }
    for (const std::string& note : plan->notes)
        err << "zmbr: " << note << "\n";

    int exitCode = 0;
    const auto entries = runForSummary(plan->paths, cl.jobs > 0 ? cl.jobs : defaultJobs(),
                                       cl.summaryOnly, out, err, exitCode);
    const std::string csv = studySummaryCsv(*plan, entries, cl.timing);
    if (int code = table.commit(csv)) {
        err << "zmbr: " << cl.out << "/summary.csv: the summary table cannot be written ("
            << errorText(code) << ")\n";
        return 2;
    }
    const StudyResults results = studyResults(*plan, entries);
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
                            plan->stored,
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
