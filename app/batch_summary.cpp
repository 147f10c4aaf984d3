#include "batch_summary.h"
#include "platform/error_text.h"

#include "batch_run.h"
#include "ordered_jobs.h"

#include <algorithm>
#include <ostream>

namespace zmbr {

std::vector<SummaryEntry> runForSummary(const std::vector<std::string>& files, int jobs,
                                        bool removeFiles, std::ostream& out, std::ostream& err,
                                        int& exitCode) {
    std::vector<SummaryEntry> entries(files.size());
    FileSystem& fs = realFileSystem();
    // Each worker fills only the entry of its own file.
    auto afterRun = [&](std::size_t i, const BatchResult& r) {
        SummaryEntry& e = entries[i];
        e.file = files[i];
        e.resultFile = r.resultFile;
        e.outcome = r.outcome;
        e.seconds = r.seconds;
        ResultCurve written;
        if ((runStarted(r.outcome.end) || r.outcome.end == RunEnd::OpenFailed) &&
            !readResultFile(fs, r.resultFile, written))
            e.written = std::move(written);
        if (removeFiles) {
            fs.remove(files[i]);
            if (!r.resultFile.empty())
                fs.remove(r.resultFile);
        }
    };
    exitCode = runFiles(files, jobs, out, err, afterRun);
    return entries;
}

int runBatchWithSummary(const CommandLine& cl, std::ostream& out, std::ostream& err) {
    WholeFile table(realFileSystem(), cl.summary);
    if (int error = table.open()) {
        err << "zmbr: " << cl.summary << ": the summary table cannot be written ("
            << errorText(error) << ")\n";
        return 2;
    }
    int exitCode = 0;
    auto entries =
        runForSummary(cl.files, cl.jobs > 0 ? cl.jobs : defaultJobs(), false, out, err, exitCode);
    if (int error = table.commit(summaryCsv(entries, {}, {}, cl.timing))) {
        err << "zmbr: " << cl.summary << ": the summary table cannot be written ("
            << errorText(error) << ")\n";
        return 2;
    }
    return exitCode;
}

} // namespace zmbr
