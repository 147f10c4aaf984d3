#include "study/summary_table.h"

#include "numeric/number_text.h"

#include <cerrno>

namespace zmbr {

std::string csvLine(const std::vector<std::string>& cells) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i)
            line += ',';
        const std::string& c = cells[i];
        if (c.find_first_of(",\"\r\n") == std::string::npos) {
            line += c;
            continue;
        }
        line += '"';
        for (char ch : c)
            line += ch == '"' ? std::string("\"\"") : std::string(1, ch);
        line += '"';
    }
    return line + "\r\n";
}

std::vector<std::string> summaryColumns(bool timing) {
    std::vector<std::string> columns{
        "file",        "result_file",      "steps",     "end",           "ruptured_rows",
        "tau_max_MPa", "gamma_at_tau_max", "eps1_last", "theta_last_deg"};
    if (timing)
        columns.push_back("seconds");
    return columns;
}

std::vector<std::string> summaryCells(const SummaryEntry& e, bool timing) {
    std::vector<std::string> cells{e.file, e.resultFile, "", endToken(e.outcome), "", "",
                                   "",     "",           ""};
    if (timing)
        cells.push_back(formatNumber(e.seconds, "0.000"));
    if (!runStarted(e.outcome.end))
        return cells;
    cells[2] = std::to_string(e.outcome.steps);
    for (std::size_t i = 0; i < e.outcome.ruptured.size(); ++i)
        if (e.outcome.ruptured[i])
            cells[4] += (cells[4].empty() ? "" : " ") + std::to_string(i + 1);
    if (e.written && !e.written->steps.empty()) {
        const ResultStep& top = *e.written->tauMaxStep();
        const ResultStep& last = e.written->steps.back();
        cells[5] = formatNumber(top.tauXY, "0.000");
        cells[6] = formatNumber(top.gammaXY, "0.000000");
        cells[7] = formatNumber(last.eps1, "0.000000");
        cells[8] = formatNumber(last.thetaDegrees, "0.00");
    }
    return cells;
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

WholeFile::WholeFile(FileSystem& fs, std::string path)
    : fs_(fs), path_(std::move(path)), partial_(path_ + ".zmbr-partial") {}

WholeFile::~WholeFile() {
    if (file_) {
        file_->close();
        fs_.remove(partial_);
    }
}

int WholeFile::open() {
    int error = 0;
    file_ = fs_.create(partial_, error);
    return file_ ? 0 : (error ? error : EIO);
}

int WholeFile::commit(const std::string& bytes) {
    if (!file_)
        if (int error = open())
            return error;
    int error = file_->write(bytes);
    if (!error)
        error = file_->flush();
    const int closeError = file_->close();
    file_.reset();
    if (!error)
        error = closeError;
    if (!error)
        error = fs_.rename(partial_, path_);
    if (error)
        fs_.remove(partial_);
    return error;
}

} // namespace zmbr
