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

std::string summaryCsv(const std::vector<SummaryEntry>& entries,
                       const std::vector<std::string>& extraColumns,
                       const std::vector<std::vector<std::string>>& extraCells, bool timing) {
    std::vector<std::string> header = summaryColumns(timing);
    header.insert(header.end(), extraColumns.begin(), extraColumns.end());
    std::string csv = csvLine(header);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        std::vector<std::string> cells = summaryCells(entries[i], timing);
        if (i < extraCells.size())
            cells.insert(cells.end(), extraCells[i].begin(), extraCells[i].end());
        csv += csvLine(cells);
    }
    return csv;
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
