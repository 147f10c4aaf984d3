#pragma once
// The program's command line.

#include "platform/failure.h"
#include "report/calculation_report.h"

#include <optional>
#include <string>
#include <vector>

namespace zmbr {

struct CommandLine {
    bool help = false;
    bool batch = false;
    std::vector<std::string> files; // parameter files for --batch, result files for --plot
    int jobs = 0;                   // -j N; 0 means the number of cores
    std::string summary;            // --summary OUT.csv: the table of a --batch
    bool convert = false;           // --convert IN OUT
    std::string convertFrom, convertTo;
    std::string screenshot; // --screenshot FILE: a picture of the parameter window
    std::string open;       // zmbr FILE.mbr: the parameter window with the file opened

    // --study FILE --vary NAME=FROM:TO:STEP ... --out DIR [--summary-only]
    std::string study;
    std::vector<std::string> vary;
    std::string out;
    bool summaryOnly = false;
    bool timing = false; // --timing: summary.csv gets each run's seconds
    SignOff signOff;     // --project, --job, --element, --by, --checked, --revision

    // --plot A.TGC ... -o OUT.svg|OUT.png [--curve tau-gamma|eps1-eps2]
    bool plot = false;
    std::string plotOut; // -o: the figure of --plot, or the report of --report
    std::string curve = "tau-gamma";

    // --report PANEL.mbr... [-o OUT.pdf], --batch --report, --study ... --report
    bool report = false;

    bool windows() const { return !batch && !convert && study.empty() && !plot && !report; }
};

// Parses argv; a usage error is a failure that says what is wrong.
Expected<CommandLine> parseCommandLine(const std::vector<std::string>& args);

std::string usageText();

} // namespace zmbr
