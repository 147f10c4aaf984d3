#include "report_command.h"

#include "ordered_jobs.h"
#include "paramfile/parameter_file.h"

#include <filesystem>
#include <optional>
#include <ostream>

namespace zmbr {

std::string reportPathFor(const std::string& parameterFile) {
    return std::filesystem::path(parameterFile).replace_extension(".pdf").string();
}

ReportDocument reportOfRun(const std::string& parameterFile, const BatchResult& run,
                           const LocalDateTime& date, const SignOff& signOff) {
    PanelReportInput in;
    in.parameterFile = reportFileOf(realFileSystem(), parameterFile);
    ParameterSheet sheet;
    sheet.load();
    if (auto failure = readParameterFile(sheet, realFileSystem(), parameterFile))
        in.readFailure = failure->message;
    else
        in.sheet = &sheet;
    const bool started = runStarted(run.outcome.end) || run.outcome.end == RunEnd::OpenFailed;
    if (!started && run.outcome.end != RunEnd::Unreadable)
        in.refusal = run.message;
    if (started)
        in.outcome = run.outcome;
    if (started)
        readResultFileBack(in, realFileSystem(), run.resultFile);
    else
        in.resultFile = {run.resultFile, std::nullopt};
    in.date = date;
    in.signOff = signOff;
    return panelReport(in);
}

int runReports(const CommandLine& cl, std::ostream& out, std::ostream& err,
               const ReportWriter& write) {
    warnOfMalformedSourceDateEpoch(err);
    const LocalDateTime date = commandLineClock().now();
    // Each worker makes its file's report; the reports are drawn here, one after the other,
    // by the one thread the toolkit runs on.
    std::vector<std::optional<ReportDocument>> documents(cl.files.size());
    auto afterRun = [&](std::size_t i, const BatchResult& r) {
        // A file that cannot be read as a panel gets its message and no report.
        if (realFileSystem().kindOf(cl.files[i]) == PathKind::NormalFile &&
            r.outcome.end != RunEnd::Unreadable)
            documents[i] = reportOfRun(cl.files[i], r, date, cl.signOff);
    };
    int exitCode = runFiles(cl.files, cl.jobs > 0 ? cl.jobs : defaultJobs(), out, err, afterRun);
    for (std::size_t i = 0; i < documents.size(); ++i) {
        if (!documents[i])
            continue;
        const std::string path = cl.plotOut.empty() ? reportPathFor(cl.files[i]) : cl.plotOut;
        if (auto failure = write(*documents[i], path)) {
            err << "zmbr: " << failure->message << "\n";
            exitCode = 2;
        }
    }
    return exitCode;
}

} // namespace zmbr
