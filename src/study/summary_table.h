#pragma once
// The summary table of several runs: one CSV row per panel (RFC 4180, UTF-8), and the files
// written whole or not at all.

#include "platform/file_system.h"
#include "run/result_reading.h"
#include "run/run_end.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zmbr {

// One line with its CR LF. A cell holding a comma, a quote, CR or LF is quoted, its quotes
// doubled.
std::string csvLine(const std::vector<std::string>& cells);

// The columns every summary table has, in order; with `timing` a last column of each run's
// seconds, which makes the table differ from run to run.
std::vector<std::string> summaryColumns(bool timing = false);

// What the table knows of one panel.
struct SummaryEntry {
    std::string file;
    std::string resultFile;             // empty when the parameter file could not be read
    RunOutcome outcome;                 // how the run ended, or why it did not start
    std::optional<ResultCurve> written; // the result file as read back after the run
    double seconds = 0;
};

// The cells of summaryColumns() for one panel; numbers in plain decimal text.
std::vector<std::string> summaryCells(const SummaryEntry& e, bool timing = false);

// The table: the header and a row per entry, each with the cells of `extra` appended; with
// `timing`, each run's seconds.
std::string summaryCsv(const std::vector<SummaryEntry>& entries,
                       const std::vector<std::string>& extraColumns,
                       const std::vector<std::vector<std::string>>& extraCells,
                       bool timing = false);

// A file whose bytes go to a partial file beside it, which replaces it only once complete:
// a failed or abandoned write leaves no file under the name.
class WholeFile {
  public:
    WholeFile(FileSystem& fs, std::string path);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;
    // Creates the partial file, so that a place that cannot be written is known before any
    // work; 0 or the errno.
    int open();
    // Writes the bytes and puts the file in place; 0 or the errno.
    int commit(const std::string& bytes);

  private:
    FileSystem& fs_;
    std::string path_, partial_;
    std::unique_ptr<OutputFile> file_;
};

} // namespace zmbr
