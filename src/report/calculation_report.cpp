#include "report/calculation_report.h"

#include "numeric/number_text.h"
#include "platform/guarded_reading.h"
#include "report/sha256.h"

#include <cstdio>

#ifndef ZMBR_VERSION
#define ZMBR_VERSION "3.0.0"
#endif

namespace zmbr {

namespace {

// The value the run used, in the field's display format (axes and layer as plain numbers,
// as the window shows them after an edit).
std::string valueText(const PanelInput& in, PanelField f, int row = 1) {
    const FieldSpec& entry = fieldSpec(f);
    const float v = fieldValue(in, f, row);
    return entry.plainAfterEdit ? plainNumberText(v) : formatNumber(v, entry.pattern);
}

// Whether the study varies this field (of this row); row 0 for a panel field.
bool isVaried(const std::vector<VariedRange>& ranges, PanelField f, int row) {
    for (const VariedRange& r : ranges)
        if (r.name.field == f && (!r.name.rowField || r.name.row == 0 || r.name.row == row))
            return true;
    return false;
}

const char* failureModeText(const ParameterSheet& sheet, int row) {
    return failureModeFromText(sheet.text({PanelField::FailureMode, row - 1})) ==
                   FailureMode::Rupture
               ? "rupture"
               : "yield";
}

// The inputs: three columns of fields, the row table, the drawing of the rows.
ReportSection inputsSection(const ParameterSheet& sheet, const std::vector<VariedRange>& varied) {
    const PanelInput& in = sheet.input();
    ReportSection s;
    s.heading = varied.empty() ? "Inputs" : "Inputs that stay the same";
    auto group = [&](FieldGroup g, const char* title) {
        std::vector<ReportItem> items{{title, "", ""}};
        for (const FieldSpec& f : fieldRegistry()) {
            if (f.group != g)
                continue;
            if (f.kind == FieldKind::Flag)
                items.push_back({f.caption, sheet.option() ? "on" : "off", ""});
            else if (isVaried(varied, f.field, 0))
                items.push_back({f.caption, "varied", ""});
            else
                items.push_back({f.caption, valueText(in, f.field), f.unit});
        }
        return items;
    };
    s.itemGroups.push_back(group(FieldGroup::Panel, "Panel"));
    s.itemGroups.push_back(group(FieldGroup::Concrete, "Concrete"));
    s.itemGroups.push_back(group(FieldGroup::Bond, "Bond"));

    s.table.header = {"i"};
    for (const FieldSpec& f : fieldRegistry())
        if (f.perRow() && f.kind == FieldKind::Number)
            s.table.header.push_back(std::string(f.caption) + " (" + f.unit + ")");
    s.table.header.push_back("failure mode");
    for (int r = 1; r <= in.usedRows(); ++r) {
        std::vector<std::string> cells{std::to_string(r)};
        for (const FieldSpec& f : fieldRegistry())
            if (f.perRow() && f.kind == FieldKind::Number)
                cells.push_back(isVaried(varied, f.field, r) ? "varied"
                                                             : valueText(in, f.field, r));
        cells.push_back(failureModeText(sheet, r));
        s.table.rows.push_back(cells);
    }
    s.lines.push_back("Units N and mm; stresses in N/mm² (MPa); angles in degrees from the x "
                      "axis. Rows 1 to " +
                      std::to_string(in.usedRows()) + " take part.");
    s.figures.push_back(ReportFigure::PanelRows);
    return s;
}

std::vector<RowDirection> rowDirections(const ParameterSheet& sheet) {
    std::vector<RowDirection> rows;
    const PanelInput& in = sheet.input();
    for (int r = 1; r <= in.usedRows(); ++r)
        rows.push_back({r, in.row(r).thetaR, valueText(in, PanelField::ThetaR, r)});
    return rows;
}

std::string rowList(const std::vector<int>& rows) {
    std::string text = rows.size() == 1 ? "row " : "rows ";
    for (std::size_t i = 0; i < rows.size(); ++i)
        text += (i == 0 ? "" : i + 1 == rows.size() ? " and " : ", ") + std::to_string(rows[i]);
    return text;
}

std::string capitalised(std::string s) {
    if (!s.empty() && s[0] >= 'a' && s[0] <= 'z')
        s[0] = static_cast<char>(s[0] - 'a' + 'A');
    return s;
}

// What became of each row, in a sentence: "Row 1 yielded; rows 2 and 3 stayed below fru."
std::string rowsSentence(const RunOutcome& o, int rows) {
    std::vector<int> ruptured, yielded, elastic;
    for (int r = 1; r <= rows; ++r) {
        const auto i = static_cast<std::size_t>(r - 1);
        (o.ruptured[i] ? ruptured : o.yielded[i] ? yielded : elastic).push_back(r);
    }
    std::vector<std::string> parts;
    if (!ruptured.empty())
        parts.push_back(rowList(ruptured) + " ruptured at a crack");
    if (!yielded.empty())
        parts.push_back(rowList(yielded) + (yielded.size() == 1 ? " has" : " have") +
                        " yielded (bar stress at fru)");
    if (!elastic.empty())
        parts.push_back(rowList(elastic) + (elastic.size() == 1 ? " stayed" : " stayed") +
                        " below fru");
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i)
        text += (i ? "; " : "") + parts[i];
    return capitalised(text) + ".";
}

std::string rowState(const RunOutcome& o, int r) {
    const auto i = static_cast<std::size_t>(r - 1);
    return o.ruptured[i]  ? "ruptured at a crack (RPT)"
           : o.yielded[i] ? "yielded (YLD)"
                          : "below fru (OK)";
}

ReportSection runSection(const PanelReportInput& in) {
    ReportSection s;
    s.heading = "Run";
    if (!in.refusal.empty()) {
        s.intro.push_back("The panel was not run. " + in.refusal);
        return s;
    }
    if (!in.outcome)
        return s;
    const RunOutcome& o = *in.outcome;
    const std::optional<ResultCurve>& curve = in.resultCurve;
    if (!in.resultCurveFailure.empty())
        s.intro.push_back("The result file cannot be read back: " + in.resultCurveFailure);
    s.intro.push_back(runEndText(o, curve ? &*curve : nullptr));
    std::vector<ReportItem> left, right;
    left.push_back({"Steps completed", std::to_string(o.steps), ""});
    if (curve && !curve->steps.empty()) {
        const ResultStep& top = *curve->tauMaxStep();
        const ResultStep& last = curve->steps.back();
        const auto topStep = &top - curve->steps.data() + 1;
        left.push_back({"τxy max", formatNumber(top.tauXY, "0.000"), "MPa"});
        left.push_back({"at step", std::to_string(topStep), ""});
        left.push_back({"γxy at τxy max", formatNumber(top.gammaXY, "0.000000"), ""});
        right.push_back({"Last step in the file", std::to_string(curve->steps.size()), ""});
        right.push_back({"Last crack angle θ", formatNumber(last.thetaDegrees, "0.00"), "°"});
        right.push_back({"ε1 at the last step", formatNumber(last.eps1, "0.000000"), ""});
        right.push_back({"ε2 at the last step", formatNumber(last.eps2, "0.000000"), ""});
    }
    s.itemGroups = {left, right};
    const int rows = in.sheet ? in.sheet->input().usedRows() : 0;
    if (o.end != RunEnd::OpenFailed && rows > 0) {
        s.table.header = {"i", "failure mode", "at the end of the run"};
        for (int r = 1; r <= rows; ++r)
            s.table.rows.push_back(
                {std::to_string(r), failureModeText(*in.sheet, r), rowState(o, r)});
        s.lines.push_back(rowsSentence(o, rows));
    }
    return s;
}

ReportSection checksumSection(const std::vector<ReportFile>& files, bool edited) {
    ReportSection s;
    s.heading = "Checksums (SHA-256)";
    s.table.header = {"file", "SHA-256"};
    for (const ReportFile& f : files)
        s.table.rows.push_back(
            {f.path, f.sha256 ? *f.sha256 : std::string("(the file cannot be read)")});
    s.lines.push_back("sha256sum FILE prints the same digest when the file is the one this "
                      "report was made from.");
    if (edited)
        s.lines.push_back("The inputs were edited in the parameter window after the parameter "
                          "file was read or saved: the file's checksum does not stand for them.");
    return s;
}

std::string fileNameOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string programNameAndVersion() {
    return std::string("ZMBR ") + ZMBR_VERSION;
}

std::string reportDateText(const LocalDateTime& t) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

std::string runEndText(const RunOutcome& o, const ResultCurve* curve) {
    const std::string at = " at step " + std::to_string(o.steps);
    switch (o.end) {
    case RunEnd::Failure: {
        std::vector<int> rows;
        for (int i = 0; i < kMaxRows; ++i)
            if (o.ruptured[static_cast<std::size_t>(i)])
                rows.push_back(i + 1);
        std::string text = "The panel failed" + at + ": ";
        if (o.concreteNG)
            text += "the concrete was crushed (status NG)";
        if (o.concreteNG && !rows.empty())
            text += " and ";
        if (!rows.empty())
            text += rowList(rows) + " ruptured at a crack";
        return text + ". The result file closes with the status lines.";
    }
    case RunEnd::StepLimit:
        return "The run reached the step limit without a failure: step " + std::to_string(o.steps) +
               " was the last computed. The panel had not failed by then.";
    case RunEnd::Stopped:
        return "The run stopped" + at + " because a value could not be computed: " + o.message;
    case RunEnd::Cancelled:
        return "The run was cancelled by the user after step " + std::to_string(o.steps) + ".";
    case RunEnd::WriteFailed:
        return "The run ended after step " + std::to_string(o.steps) +
               " because the result file could not be written" +
               (curve ? "; the file holds the steps before." : ".");
    case RunEnd::OpenFailed:
        return "The run did not start: the result file could not be opened. " + o.message;
    case RunEnd::Refused:
    case RunEnd::ResultUnwritable:
        return "The panel was not run. " + o.message;
    case RunEnd::Unreadable:
        return "The parameter file cannot be read: " + o.cause;
    }
    return "";
}

ReportFile reportFileOf(FileSystem& fs, const std::string& path) {
    ReportFile f{path, std::nullopt};
    std::optional<Failure> failure;
    const auto file = path.empty() ? nullptr : openGuarded(fs, path, failure);
    if (!file)
        return f;
    Sha256 digest;
    char buffer[65536];
    for (std::size_t got = 0;;) {
        if (file->read(buffer, sizeof buffer, got) != 0)
            return f;
        if (got == 0)
            break;
        digest.add(std::string_view(buffer, got));
    }
    f.sha256 = hexOf(digest.finish());
    return f;
}

ReportFile reportFileOfBytes(std::string path, std::string_view bytes) {
    return {std::move(path), sha256Hex(bytes)};
}

void readResultFileBack(PanelReportInput& in, FileSystem& fs, const std::string& path) {
    in.resultFile = reportFileOf(fs, path);
    ResultCurve curve;
    if (auto failure = readResultFile(fs, path, curve))
        in.resultCurveFailure = failure->message;
    else
        in.resultCurve = std::move(curve);
}

ReportDocument panelReport(const PanelReportInput& in) {
    ReportDocument d;
    d.title = "Calculation report: reinforced concrete membrane panel in shear";
    const std::string paramName = in.parameterFile.path.empty()
                                      ? "(none: the panel was not read from a file)"
                                      : in.parameterFile.path;
    d.titleBlock.push_back({"Parameter file", paramName, ""});
    if (!in.resultFile.path.empty() && in.outcome)
        d.titleBlock.push_back({"Result file", in.resultFile.path, ""});
    d.titleBlock.push_back({"Program", programNameAndVersion(), ""});
    d.titleBlock.push_back({"Date", reportDateText(in.date), ""});
    d.footer = "ZMBR calculation report · " + fileNameOf(paramName);
    d.date = in.date;
    std::vector<ReportFile> files{in.parameterFile};
    if (!in.readFailure.empty() || !in.sheet) {
        ReportSection s;
        s.heading = "Inputs";
        s.lines.push_back("The parameter file cannot be read: " + in.readFailure);
        d.sections.push_back(s);
    } else {
        d.comment = in.sheet->input().comment;
        d.sections.push_back(inputsSection(*in.sheet, {}));
        d.rows = rowDirections(*in.sheet);
        d.sections.push_back(runSection(in));
        if (!in.resultFile.path.empty() && in.outcome)
            files.push_back(in.resultFile);
    }
    if (in.parameterFile.path.empty())
        files.erase(files.begin());
    d.sections.push_back(checksumSection(files, in.editedAfterReading));
    if (in.outcome)
        d.curve = in.resultCurve;
    if (d.curve && !d.curve->steps.empty()) {
        d.curveName = fileNameOf(in.resultFile.path);
        ReportSection curves;
        curves.heading = "Curves";
        curves.lines.push_back("From the step lines of " + d.curveName +
                               ", drawn as the graph windows draw them; a failure is marked at "
                               "the last step.");
        curves.figures = {ReportFigure::TauGamma, ReportFigure::Eps1Eps2};
        d.sections.push_back(curves);
    }
    return d;
}

ReportDocument studyReport(const StudyReportInput& in) {
    ReportDocument d;
    d.title = "Parameter study report: reinforced concrete membrane panel in shear";
    d.titleBlock = {{"Parameter file", in.parameterFile.path, ""},
                    {"Variants", std::to_string(in.entries.size()), ""},
                    {"Program", programNameAndVersion(), ""},
                    {"Date", reportDateText(in.date), ""}};
    d.footer = "ZMBR parameter study report · " + fileNameOf(in.parameterFile.path);
    d.date = in.date;
    if (in.sheet) {
        d.comment = in.sheet->input().comment;
        d.sections.push_back(inputsSection(*in.sheet, in.ranges));
        d.rows = rowDirections(*in.sheet);
    }
    ReportSection varied;
    varied.heading = "Varied";
    varied.table.header = {"name", "values"};
    for (const VariedRange& r : in.ranges) {
        std::string values;
        for (std::size_t i = 0; i < r.values.size(); ++i)
            values += (i ? ", " : "") + r.values[i];
        varied.table.rows.push_back({r.name.caption(), values});
    }
    d.sections.push_back(varied);

    ReportSection summary;
    summary.heading = "Summary";
    summary.table.header = {"k"};
    for (const VariedRange& r : in.ranges)
        summary.table.header.push_back(r.name.text);
    for (const char* c : {"steps", "end", "τxy max (MPa)", "γxy at τxy max", "θ last (°)"})
        summary.table.header.push_back(c);
    for (std::size_t k = 0; k < in.entries.size(); ++k) {
        const std::vector<std::string> cells = summaryCells(in.entries[k]);
        std::vector<std::string> row{std::to_string(k + 1)};
        if (k < in.stored.size())
            row.insert(row.end(), in.stored[k].begin(), in.stored[k].end());
        row.insert(row.end(), {cells[2], cells[3], cells[5], cells[6], cells[8]});
        summary.table.rows.push_back(row);
    }
    std::string stem = fileNameOf(in.parameterFile.path);
    stem = stem.substr(0, stem.rfind('.'));
    summary.lines.push_back("Each variant k is the file " + stem +
                            "-k.mbr of the study's folder, run as --batch runs it; " +
                            fileNameOf(in.summaryFile.path) + " holds the same rows.");
    d.sections.push_back(summary);
    ReportSection chart;
    chart.heading = "Chart";
    chart.figures.push_back(ReportFigure::StudyChart);
    d.sections.push_back(chart);
    d.study = in.results;
    d.sections.push_back(checksumSection({in.parameterFile, in.summaryFile}, false));
    return d;
}

} // namespace zmbr
