#include "report/calculation_report.h"

#include "numeric/number_text.h"
#include "platform/guarded_reading.h"
#include "report/sha256.h"
#include "run/execute_command.h"
#include "solver/material_laws.h"
#include "solver/run_parameters.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#ifndef ZMBR_VERSION
#define ZMBR_VERSION "3.0.0"
#endif

namespace zmbr {

namespace {

// The value the run used, in the field's display format (axes and layer as plain numbers,
// as the window shows them after an edit).
std::string valueText(const PanelInput& in, PanelField f, int row = 1) {
    const FieldDeclaration& entry = fieldSpec(f);
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

// A value as the run used it; where the window's limit rule would show another, both, with
// the one that ran named.
std::string ranValueText(const PanelInput& ran, PanelField f, int row) {
    const std::string text = valueText(ran, f, row);
    const float value = fieldValue(ran, f, row);
    const float limited = applyLimitRule(f, value);
    if (limited == value || value != value)
        return text;
    PanelInput shown = ran;
    fieldValue(shown, f, row) = limited;
    return text + " (ran; the window shows " + valueText(shown, f, row) + ")";
}

// The inputs: three columns of fields, each field's sentence, the row table, the drawing of the
// rows.
ReportSection inputsSection(const ParameterSheet& sheet, const PanelInput& ran,
                            const std::vector<VariedRange>& varied) {
    ReportSection s;
    s.heading = varied.empty() ? "Inputs" : "Inputs that stay the same";
    s.intro.push_back("The values below are those a run computes with, read from the fields' "
                      "texts as Execute reads them.");
    auto group = [&](FieldGroup g, const char* title) {
        std::vector<ReportItem> items{{title, "", ""}};
        for (const FieldDeclaration& f : fieldRegistry()) {
            if (f.group != g)
                continue;
            if (f.kind == FieldKind::Flag)
                items.push_back({f.caption, sheet.option() ? "on" : "off", ""});
            else if (isVaried(varied, f.field, 0))
                items.push_back({f.caption, "varied", ""});
            else
                items.push_back({f.caption, valueText(ran, f.field), f.unit});
        }
        return items;
    };
    s.itemGroups.push_back(group(FieldGroup::Panel, "Panel"));
    s.itemGroups.push_back(group(FieldGroup::Concrete, "Concrete"));
    s.itemGroups.push_back(group(FieldGroup::Bond, "Bond"));

    s.table.header = {"i"};
    for (const FieldDeclaration& f : fieldRegistry())
        if (f.perRow() && f.kind == FieldKind::Number)
            s.table.header.push_back(f.nameWithUnit() == f.name
                                         ? std::string(f.caption)
                                         : std::string(f.caption) + " (" + f.unit + ")");
    s.table.header.push_back("failure mode");
    s.table.header.push_back("ρ");
    const RunParameters run = runParameters(ran);
    for (int r = 1; r <= ran.usedRows(); ++r) {
        std::vector<std::string> cells{std::to_string(r)};
        for (const FieldDeclaration& f : fieldRegistry())
            if (f.perRow() && f.kind == FieldKind::Number)
                cells.push_back(isVaried(varied, f.field, r) ? "varied"
                                                             : ranValueText(ran, f.field, r));
        cells.push_back(failureModeText(sheet, r));
        // ρ of a row whose t·s is 0 cannot be formed: the run refuses such a panel.
        const double rho = run.row[static_cast<std::size_t>(r - 1)].rhoR;
        cells.push_back(!varied.empty()      ? ""
                        : std::isfinite(rho) ? formatNumber(rho, "0.00000")
                                             : "–");
        s.table.rows.push_back(cells);
    }
    for (const FieldDeclaration& f : fieldRegistry())
        if (f.kind != FieldKind::Text)
            s.lines.push_back(std::string(f.caption) +
                              (f.unit[0] ? ", in " + std::string(f.unit) : "") + ": " + f.meaning);
    s.lines.push_back("ρ: the row's reinforcement ratio Ar / (t·s) · layer, as the run forms it.");
    s.figures.push_back(ReportFigure::PanelRows);
    return s;
}

// Values the panel should not hold: outside the limits the window keeps, or beyond any real
// material.
std::vector<std::string> inputWarnings(const PanelInput& ran) {
    std::vector<std::string> out;
    auto check = [&](PanelField f, int row) {
        const FieldDeclaration& entry = fieldSpec(f);
        const float v = fieldValue(ran, f, row);
        const std::string where =
            std::string(entry.caption) + (entry.perRow() ? " of row " + std::to_string(row) : "");
        const std::string value =
            plainNumberText(v) + (entry.unit[0] ? std::string(" ") + entry.unit : "");
        if (applyLimitRule(f, v) != v)
            out.push_back(where + " is " + value +
                          ", outside the range the parameter window keeps (" +
                          plainNumberText(applyLimitRule(f, v)) + " there); the run used " +
                          plainNumberText(v) + ".");
        struct Plausible {
            PanelField field;
            double low, high;
            const char* why;
        };
        static const Plausible kPlausible[] = {
            {PanelField::T, 1, 5000, "a wall between 1 mm and 5 m thick"},
            {PanelField::Sm, 1, 5000, "a crack spacing between 1 mm and 5 m"},
            {PanelField::Fc, -200, -5, "a concrete strength of 5 to 200 N/mm²"},
            {PanelField::EpsC, -0.01, -0.0005, "a strain at peak stress of 0.0005 to 0.01"},
            {PanelField::Ec, 5000, 100000, "a concrete modulus of 5 000 to 100 000 N/mm²"},
            {PanelField::Ar, 0.01, 10000, "a bar area of 0.01 to 10 000 mm²"},
            {PanelField::S, 1, 5000, "a spacing of 1 mm to 5 m"},
            {PanelField::Fru, 50, 5000, "a strength of 50 to 5 000 N/mm², which any bar has"},
            {PanelField::Er, 1000, 1000000, "a modulus of 1 000 to 1 000 000 N/mm²"},
        };
        for (const Plausible& p : kPlausible)
            if (p.field == f && (!(v >= p.low) || !(v <= p.high)))
                out.push_back(where + " is " + value + "; a real panel has " + p.why + ".");
    };
    for (const FieldDeclaration& f : fieldRegistry()) {
        if (f.kind != FieldKind::Number)
            continue;
        if (!f.perRow())
            check(f.field, 1);
        else
            for (int r = 1; r <= ran.usedRows(); ++r)
                check(f.field, r);
    }
    return out;
}

ReportSection methodSection() {
    ReportSection s;
    s.heading = "Method";
    s.intro = {
        "The panel is a reinforced concrete membrane element loaded in pure in-plane shear. The "
        "analysis raises the principal tensile strain ε1 step by step; at each step it finds the "
        "crack angle θ at which the panel is in equilibrium (the normal stress in x is zero), and "
        "from it the shear stress τxy, the shear strain γxy, the principal compressive strain ε2 "
        "and each row's average stress.",
        "Concrete: a parabola in compression softened by the tensile strain, linear in tension up "
        "to the cracking stress fct = 0.33·√(−fc) and decaying after it. Rows: elastic bars along "
        "θr; a yield row is capped at fru. Between two cracks the bond law (linear up to τby at "
        "slip sby, constant after) gives each row's bar stress at the crack, which a rupture row "
        "may not exceed.",
        "The run ends when the concrete is crushed, a rupture row breaks at a crack, or the step "
        "limit is reached. Units: N and mm, stresses in N/mm² (MPa); compressions (fc, εc, ε2) "
        "are negative; angles in degrees from the x axis, counter-clockwise.",
    };
    return s;
}

// The derived values the run sets up from the inputs.
ReportSection derivedSection(const PanelInput& ran) {
    ReportSection s;
    s.heading = "Derived values";
    const RunParameters run = runParameters(ran);
    const auto [ft, epsCr] = crackingValues(run.fc, run.epsC);
    std::vector<ReportItem> items;
    if (std::isfinite(ft) && std::isfinite(epsCr)) {
        items.push_back(
            {"fct = 0.33·√(−fc)", formatNumber(static_cast<float>(ft), "0.000"), "N/mm²"});
        items.push_back(
            {"εcr = fct·εc / (2·fc)", formatNumber(static_cast<float>(epsCr), "0.000000"), ""});
    } else {
        s.intro.push_back("The cracking stress and strain cannot be formed from fc and εc.");
    }
    s.itemGroups.push_back(items);
    return s;
}

std::vector<RowDirection> rowDirections(const PanelInput& in) {
    std::vector<RowDirection> rows;
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

// Whether the run ended in a failure of the panel, the only end with a result to sign.
bool failed(const std::optional<RunOutcome>& o) {
    return o && o->end == RunEnd::Failure;
}

std::string rowState(const RunOutcome& o, int r) {
    const auto i = static_cast<std::size_t>(r - 1);
    if (o.end != RunEnd::Failure)
        return o.ruptured[i] ? "ruptured at a crack" : o.yielded[i] ? "yielded" : "below fru";
    return o.ruptured[i]  ? "ruptured at a crack (RPT)"
           : o.yielded[i] ? "yielded (YLD)"
                          : "below fru (OK)";
}

std::string stepText(const ResultCurve& c, const ResultStep& s) {
    return "step " + std::to_string(&s - c.steps.data() + 1);
}

// The step at which the panel cracks: the last whose ε1 is within the cracking strain, when a
// cracked step follows it; or null.
const ResultStep* crackingStep(const ResultCurve& c, const PanelInput& ran) {
    const RunParameters run = runParameters(ran);
    const double epsCr = crackingValues(run.fc, run.epsC).epsCr;
    for (std::size_t i = 1; i < c.steps.size(); ++i)
        if (c.steps[i].eps1 > epsCr)
            return c.steps[i - 1].eps1 <= epsCr ? &c.steps[i - 1] : nullptr;
    return nullptr;
}

std::string stressAt(const ResultStep& s) {
    return formatNumber(static_cast<float>(s.tauXY), "0.000") +
           " MPa at γxy = " + formatNumber(static_cast<float>(s.gammaXY), "0.000000");
}

std::string bannerOf(const PanelReportInput& in) {
    if (!in.outcome)
        return "Not run: " + (in.refusal.empty() ? in.readFailure : in.refusal);
    const RunOutcome& o = *in.outcome;
    switch (o.end) {
    case RunEnd::Failure:
        return "";
    case RunEnd::Stopped: {
        // "The analysis stopped at step 7: what" in the run's own words, the step kept.
        std::string text = o.message.empty() ? stopMessage(o.steps + 1, o.cause) : o.message;
        const auto colon = text.find(": ");
        if (colon != std::string::npos)
            text.replace(colon, 2, " — ");
        if (!text.empty() && text[0] == 'T')
            text[0] = 't';
        return "No result: " + text;
    }
    case RunEnd::StepLimit:
        return "No result: the run reached the step limit at step " + std::to_string(o.steps) +
               " without a failure of the panel.";
    case RunEnd::Cancelled:
        return "No result: the run was cancelled after step " + std::to_string(o.steps) + ".";
    case RunEnd::WriteFailed:
        return "No result: the result file could not be written after step " +
               std::to_string(o.steps) + ".";
    default:
        return "Not run: " + o.message;
    }
}

// The summary's lines, the verdict first.
std::vector<std::vector<std::string>> summaryOf(const PanelReportInput& in, const PanelInput* ran) {
    std::vector<std::vector<std::string>> out;
    if (!in.outcome) {
        out.push_back(
            {"Verdict", "Not run: " + (in.refusal.empty() ? in.readFailure : in.refusal)});
        return out;
    }
    const RunOutcome& o = *in.outcome;
    out.push_back({"Verdict", failed(in.outcome) ? runEndText(o, nullptr) : bannerOf(in)});
    if (!in.resultCurve || in.resultCurve->steps.empty())
        return out;
    const ResultCurve& c = *in.resultCurve;
    const ResultStep& top = *c.tauMaxStep();
    const ResultStep& last = c.steps.back();
    const std::string peakWord = failed(in.outcome) ? "Peak τxy" : "Largest τxy computed";
    out.push_back({peakWord, stressAt(top) + " (" + stepText(c, top) + ")"});
    const ResultStep* crack = ran ? crackingStep(c, *ran) : nullptr;
    if (crack)
        out.push_back({"Cracking", "τxy = " + stressAt(*crack) + " (" + stepText(c, *crack) +
                                       ", the last before ε1 passes εcr)"});
    out.push_back({failed(in.outcome) ? "τxy at failure" : "τxy at the last step",
                   stressAt(last) + " (" + stepText(c, last) + ")"});
    if (crack && &top <= crack && failed(in.outcome))
        out.push_back({"Note", "The peak is the cracking stress: the panel carries less after "
                               "cracking, " +
                                   formatNumber(static_cast<float>(last.tauXY), "0.000") +
                                   " MPa at failure."});
    return out;
}

ReportSection runSection(const PanelReportInput& in) {
    ReportSection s;
    s.heading = "Run";
    if (!in.outcome) {
        s.intro.push_back("The panel was not run. " + in.refusal);
        return s;
    }
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
        const bool stresses = o.end == RunEnd::Failure || o.end == RunEnd::StepLimit;
        s.table.header = {"i", "failure mode",
                          failed(in.outcome) ? "at the end of the run"
                                             : "at the last step computed"};
        if (stresses)
            s.table.header.insert(s.table.header.end(),
                                  {"average stress (N/mm²)", "bar stress at the crack (N/mm²)"});
        for (int r = 1; r <= rows; ++r) {
            const auto i = static_cast<std::size_t>(r - 1);
            s.table.rows.push_back(
                {std::to_string(r), failureModeText(*in.sheet, r), rowState(o, r)});
            if (stresses)
                s.table.rows.back().insert(
                    s.table.rows.back().end(),
                    {formatNumber(o.rowStress[i], "0.0"), formatNumber(o.crackStress[i], "0.0")});
        }
        s.table.leftColumns = 3;
        if (failed(in.outcome))
            s.lines.push_back(rowsSentence(o, rows));
    }
    return s;
}

ReportSection checksumSection(const std::vector<ReportFile>& files, bool edited) {
    ReportSection s;
    s.heading = "Checksums (SHA-256)";
    s.table.header = {"file", "SHA-256"};
    s.table.mono = {false, true};
    s.table.leftColumns = 2;
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

// A summary table's end token in words.
std::string endWordsOfToken(const std::string& token) {
    if (token == "concrete_ng")
        return "concrete crushed";
    if (token == "rupture")
        return "a row ruptured";
    if (token == "step_limit")
        return "step limit, no failure";
    if (token == "stopped")
        return "stopped without a result";
    if (token == "refused")
        return "not run";
    return "file not readable";
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
        return "The run ended without a result because a value could not be computed. " +
               (o.message.empty() ? stopMessage(o.steps + 1, o.cause) : o.message);
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
    d.program = programNameAndVersion();
    d.dateText = reportDateText(in.date);
    d.signOff = in.signOff;
    d.footer = "ZMBR calculation report · " + paramName;
    d.date = in.date;
    d.banner = bannerOf(in);
    if (in.outcome && in.outcome->end != RunEnd::Failure && !d.banner.empty() && in.resultCurve &&
        !in.resultCurve->steps.empty())
        d.banner += ". The values below are those of the steps computed; they are not a result "
                    "of the panel.";
    std::vector<ReportFile> files{in.parameterFile};
    std::optional<PanelInput> ran;
    if (!in.readFailure.empty() || !in.sheet) {
        d.summary = summaryOf(in, nullptr);
        ReportSection s;
        s.heading = "Inputs";
        s.lines.push_back("The parameter file cannot be read: " + in.readFailure);
        d.sections.push_back(s);
    } else {
        ParameterSheet reread = *in.sheet;
        rereadFields(reread);
        ran = reread.input();
        d.summary = summaryOf(in, &*ran);
        d.comment = in.sheet->input().comment;
        const std::vector<std::string> warnings = inputWarnings(*ran);
        if (!warnings.empty()) {
            ReportSection w;
            w.heading = "Warnings";
            w.lines = warnings;
            d.sections.push_back(w);
        }
        d.sections.push_back(runSection(in));
        d.sections.push_back(inputsSection(*in.sheet, *ran, {}));
        d.sections.push_back(derivedSection(*ran));
        d.sections.push_back(methodSection());
        d.rows = rowDirections(*ran);
        if (!in.resultFile.path.empty() && in.outcome)
            files.push_back(in.resultFile);
    }
    for (auto& line : d.summary)
        if (line[0] == "Verdict") {
            const auto tail = line[1].find(" The result file closes");
            if (tail != std::string::npos)
                line[1].erase(tail);
        }
    if (in.parameterFile.path.empty())
        files.erase(files.begin());
    d.sections.push_back(checksumSection(files, in.editedAfterReading));
    if (in.outcome)
        d.curve = in.resultCurve;
    if (d.curve && !d.curve->steps.empty()) {
        d.curveName = fileNameOf(in.resultFile.path);
        d.curveStopped = in.outcome->end != RunEnd::Failure;
        if (ran)
            if (const ResultStep* crack = crackingStep(*d.curve, *ran))
                d.crackingStep = static_cast<int>(crack - d.curve->steps.data()) + 1;
        ReportSection curves;
        curves.heading = "Curves";
        curves.lines.push_back(
            "From the step lines of " + d.curveName +
            ", drawn as the graph windows draw them; cracking, the peak and the end are "
            "marked" +
            (d.curveStopped ? ", and the end is where the run stopped without a result." : "."));
        curves.figures = {ReportFigure::TauGamma, ReportFigure::Eps1Eps2};
        d.sections.push_back(curves);
    }
    return d;
}

ReportDocument studyReport(const StudyReportInput& in) {
    ReportDocument d;
    d.title = "Parameter study report: reinforced concrete membrane panel in shear";
    d.titleBlock = {{"Parameter file", in.parameterFile.path, ""},
                    {"Summary table", in.summaryFile.path, ""}};
    d.program = programNameAndVersion();
    d.dateText = reportDateText(in.date);
    d.signOff = in.signOff;
    d.footer = "ZMBR parameter study report · " + in.parameterFile.path;
    d.date = in.date;

    // The governing variants: the lowest and highest τxy max, and the first of each end.
    std::optional<std::size_t> low, high;
    std::vector<std::size_t> firstOfEnd;
    std::vector<std::string> ends;
    auto tauOf = [&](std::size_t k) -> std::optional<double> {
        const SummaryEntry& e = in.entries[k];
        if (e.written && !e.written->steps.empty())
            return e.written->tauMaxStep()->tauXY;
        return std::nullopt;
    };
    std::vector<std::pair<std::string, int>> endCounts;
    for (std::size_t k = 0; k < in.entries.size(); ++k) {
        if (const auto t = tauOf(k)) {
            if (!low || *t < *tauOf(*low))
                low = k;
            if (!high || *t > *tauOf(*high))
                high = k;
        }
        const std::string words = endWords(in.entries[k].outcome);
        const std::string kind = endToken(in.entries[k].outcome);
        auto it = std::find_if(endCounts.begin(), endCounts.end(),
                               [&](const auto& c) { return c.first == kind; });
        if (it == endCounts.end()) {
            endCounts.push_back({kind, 1});
            firstOfEnd.push_back(k);
            ends.push_back(words);
        } else {
            ++it->second;
        }
    }
    d.summary.push_back({"Variants", std::to_string(in.entries.size()) + " runs of the panel"});
    std::string endText;
    for (std::size_t i = 0; i < endCounts.size(); ++i)
        endText += (i ? "; " : "") + endWordsOfToken(endCounts[i].first) + ": " +
                   std::to_string(endCounts[i].second);
    d.summary.push_back({"Ends", endText});
    if (low && high)
        d.summary.push_back(
            {"τxy max", formatNumber(static_cast<float>(*tauOf(*low)), "0.000") + " to " +
                            formatNumber(static_cast<float>(*tauOf(*high)), "0.000") + " MPa"});

    if (in.sheet) {
        d.comment = in.sheet->input().comment;
        ParameterSheet reread = *in.sheet;
        rereadFields(reread);
        ReportSection inputs = inputsSection(*in.sheet, reread.input(), in.ranges);
        inputs.lines.clear();
        d.sections.push_back(inputs);
        d.rows = rowDirections(reread.input());
    }
    ReportSection varied;
    varied.heading = "Varied";
    varied.table.header = {"name", "values"};
    varied.table.leftColumns = 2;
    for (const VariedRange& r : in.ranges) {
        std::string values;
        for (std::size_t i = 0; i < r.values.size(); ++i)
            values += (i ? ", " : "") + r.values[i];
        varied.table.rows.push_back({r.name.caption(), values});
    }
    d.sections.push_back(varied);

    ReportSection chart;
    chart.heading = "Chart";
    chart.figures.push_back(ReportFigure::StudyChart);
    d.sections.push_back(chart);
    d.study = in.results;

    ReportSection governing;
    governing.heading = "Governing variants";
    governing.table.header = {"", "k"};
    for (const VariedRange& r : in.ranges)
        governing.table.header.push_back(r.name.text);
    for (const char* c : {"end", "τxy max (MPa)", "γxy at τxy max"})
        governing.table.header.push_back(c);
    auto row = [&](const std::string& why, std::size_t k) {
        const std::vector<std::string> cells = summaryCells(in.entries[k]);
        std::vector<std::string> r{why, std::to_string(k + 1)};
        if (k < in.stored.size())
            r.insert(r.end(), in.stored[k].begin(), in.stored[k].end());
        r.insert(r.end(), {endWords(in.entries[k].outcome), cells[5], cells[6]});
        governing.table.rows.push_back(r);
    };
    if (low)
        row("lowest τxy max", *low);
    if (high)
        row("highest τxy max", *high);
    for (std::size_t i = 0; i < firstOfEnd.size(); ++i)
        row("first to end: " + endWordsOfToken(endCounts[i].first), firstOfEnd[i]);
    std::string stem = fileNameOf(in.parameterFile.path);
    stem = stem.substr(0, stem.rfind('.'));
    governing.lines.push_back("Each variant k is the file " + stem +
                              "-k.mbr of the study's folder, run as --batch runs "
                              "it. The full table of the " +
                              std::to_string(in.entries.size()) + " variants is " +
                              fileNameOf(in.summaryFile.path) + ", whose checksum is below.");
    d.sections.push_back(governing);
    d.sections.push_back(checksumSection({in.parameterFile, in.summaryFile}, false));
    return d;
}

} // namespace zmbr
