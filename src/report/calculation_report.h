#pragma once
// A calculation report: what was analysed, with which inputs, what came out, and the checksums
// that tie the report to its parameter and result files. This is the report's content in
// order; the page layout sets it on A4 (report/page_layout.h).

#include "input/parameter_sheet.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "run/result_reading.h"
#include "run/run_observer.h"
#include "study/parameter_study.h"
#include "study/summary_table.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zmbr {

// One value with its caption and unit: "fc (-)", "-30.00", "N/mm²".
struct ReportItem {
    std::string caption, value, unit;
};

struct ReportTable {
    std::vector<std::string> header;
    std::vector<std::vector<std::string>> rows;
    std::vector<bool> mono; // columns set in the monospaced face (digests)
    int leftColumns = 1;    // the first columns align left, the others right
    bool empty() const { return header.empty(); }
};

// The names a calculation sheet is signed under; an empty one prints as a line to write on.
struct SignOff {
    std::string project, job, element, preparedBy, checkedBy, revision;
};

// The drawings a section may hold, from the document's own data.
enum class ReportFigure { PanelRows, TauGamma, Eps1Eps2, StudyChart };

// A section is drawn in this order: heading, intro, items, table, lines, figures.
struct ReportSection {
    std::string heading;
    std::vector<std::string> intro;                  // paragraphs before the items
    std::vector<std::vector<ReportItem>> itemGroups; // side by side, each a column of items
    ReportTable table;
    std::vector<std::string> lines;
    std::vector<ReportFigure> figures;
    bool newPage = false; // starts a page of its own
};

// A row's direction for the drawing of the panel.
struct RowDirection {
    int row;
    float degrees;
    std::string text; // the angle as the table shows it
};

struct ReportDocument {
    std::string title;   // the heading of the first page
    std::string comment; // the panel's comment line
    // Above everything where the run gave no result: "No result: ..." or "Not run: ...".
    std::string banner;
    // The summary's lines, caption and value: the verdict first.
    std::vector<std::vector<std::string>> summary;
    std::vector<ReportItem> titleBlock; // files
    std::vector<ReportSection> sections;
    std::string footer; // on every page
    SignOff signOff;    // in the header of every page
    std::string program, dateText;
    LocalDateTime date; // the report's date, also the PDF file's
    // For the figures.
    std::vector<RowDirection> rows;
    std::optional<ResultCurve> curve;
    std::string curveName;
    bool curveStopped = false; // the run stopped without a failure: its last point is marked
    int crackingStep = 0;      // the step at which the panel cracks (1-based), 0 if none
    std::optional<StudyResults> study;
};

// The program as the report names it: "ZMBR 3.0.0".
std::string programNameAndVersion();

// A date as the report shows it: "2024-05-01 12:00:00".
std::string reportDateText(const LocalDateTime& t);

// A file named by a report, with its SHA-256 when it could be read.
struct ReportFile {
    std::string path;
    std::optional<std::string> sha256;
};

// The file at `path`, read through the guarded open (a pipe or a device is not read).
ReportFile reportFileOf(FileSystem& fs, const std::string& path);
// A file whose bytes the program holds (the summary table it has just written).
ReportFile reportFileOfBytes(std::string path, std::string_view bytes);

// Everything one panel's report is made from.
struct PanelReportInput {
    ReportFile parameterFile;          // empty path for the default panel
    std::string readFailure;           // why the parameter file could not be read, or ""
    const ParameterSheet* sheet = 0;   // the inputs as the parameter window shows them
    bool editedAfterReading = false;   // the window's inputs differ from the parameter file's
    std::string refusal;               // why Execute did not start the run, or ""
    std::optional<RunOutcome> outcome; // when the run started
    ReportFile resultFile;
    std::optional<ResultCurve> resultCurve; // the result file read back
    std::string resultCurveFailure;         // why it could not be, or ""
    LocalDateTime date;
    SignOff signOff;
};

// The result file of a run: its checksum and its curve, read back as --plot reads it.
void readResultFileBack(PanelReportInput& in, FileSystem& fs, const std::string& path);

ReportDocument panelReport(const PanelReportInput& in);

// How the run ended, in words: "The concrete was crushed (status NG) at step 412."
std::string runEndText(const RunOutcome& outcome, const ResultCurve* curve);

// Everything a study's report is made from.
struct StudyReportInput {
    ReportFile parameterFile;        // the panel the variants come from
    const ParameterSheet* sheet = 0; // that panel as read
    std::vector<VariedRange> ranges;
    std::vector<SummaryEntry> entries;            // one per variant
    std::vector<std::vector<std::string>> stored; // each variant's varied values
    StudyResults results;                         // for the chart
    ReportFile summaryFile;                       // summary.csv
    LocalDateTime date;
    SignOff signOff;
};

ReportDocument studyReport(const StudyReportInput& in);

} // namespace zmbr
