// The page's way into the core: plain C functions over one parameter sheet (the parameter
// window's rules) and one run (Execute, the analysis and what the calculation window shows).
// Files live in the module's memory file system under their bare names; the page puts the
// bytes of an opened file there and takes a saved file or a result file from there.
//
// The page loads the module twice: the main thread keeps the sheet, a worker runs the
// analysis, so that the page stays live while a run goes on.

#include "bridge_shared.h"
#include "input/parameter_sheet.h"
#include "paramfile/file_kind.h"
#include "paramfile/open_save_actions.h"
#include "paramfile/parameter_file.h"
#include "platform/clock.h"
#include "platform/file_system.h"
#include "report/calculation_report.h"
#include "report/page_layout.h"
#include "run/analysis_run.h"
#include "run/calculation_fields.h"
#include "run/execute_command.h"
#include "run/result_reading.h"
#include "run/run_end.h"
#include "study/result_plot.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>
#include <string>

namespace zmbr::page {

ParameterSheet& sheet() {
    static ParameterSheet s;
    return s;
}

const char* handOut(std::string text) {
    static std::string held;
    held = std::move(text);
    return held.c_str();
}

PageBox lastBox;

// The page's clock, or a fixed moment (whole seconds since 1970 UTC, as SOURCE_DATE_EPOCH
// names one) so that the page's files can be compared with the command line's.
std::optional<FixedClock> fixedClock;
const Clock& pageClock() {
    return fixedClock ? static_cast<const Clock&>(*fixedClock) : systemClock();
}

void appendJson(std::string& out, const std::string& text) {
    out += '"';
    for (const char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    out += '"';
}

void appendJson(std::string& out, double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    out += text;
}

} // namespace zmbr::page

namespace {

using namespace zmbr;
using namespace zmbr::page;

// A field by its number in the registry (the page's maps come from zmbr_fields).
FieldRef field(int id, int element) {
    return {static_cast<PanelField>(id), element};
}

class BoxCollector final : public UserPrompts {
  public:
    void showMessage(const UserMessage& m) override { lastBox = {m.title, m.text}; }
    // The page saves by download: there is never a file to overwrite.
    bool askYesNo(const UserMessage&) override { return true; }
};

// What the calculation window shows, handed to the page at most every refresh interval
// (the desktop's 15 ms), at the start and at the end of the run.
// The page's answer is true when the user pressed Cancel.
EM_JS(int, showProgress, (), { return Module.onProgress && Module.onProgress() ? 1 : 0; });

CancelFlag cancelled{false};

class PageView final : public CalculationFields {
  public:
    // The clock is read at every 4096th yield point: in WebAssembly a reading is a call out to
    // the browser, and at every 256th (the desktop's rate) the readings slowed a short run by a
    // fifth. 4096 points still pass in well under a millisecond.
    PageView() : CalculationFields(4096) {}
    void runStarted(const RunState& rs) override {
        CalculationFields::runStarted(rs);
        showNow();
    }
    void runEnded(const RunOutcome& o) override {
        CalculationFields::runEnded(o);
        showNow();
    }
    void yieldNow() override {
        if (std::chrono::steady_clock::now() - last_ >= std::chrono::milliseconds(15))
            showNow();
    }

  private:
    void showNow() {
        if (showProgress())
            cancelled.store(true);
        last_ = std::chrono::steady_clock::now();
    }
    std::chrono::steady_clock::time_point last_{};
};

std::unique_ptr<PageView> view;
RunOutcome outcome;
bool ran = false; // outcome is the last run's

const GraphTrace& trace(int graph) {
    return graph == 0 ? view->strains : view->shearCurve;
}

// The result files of the figure, in the order they came.
PlotCurves plotted;

} // namespace

extern "C" {

// --- The parameter window ---------------------------------------------------------------

// The field registry as JSON, in the order of the fields' numbers: [{name, caption, unit,
// meaning, perRow, kind}, ...]. The page builds its maps from it.
EMSCRIPTEN_KEEPALIVE const char* zmbr_fields() {
    static const char* const kinds[] = {"text", "number", "choice", "flag"};
    std::string json = "[";
    for (const FieldDeclaration& f : fieldRegistry()) {
        json += json.size() > 1 ? ",{" : "{";
        for (const auto& [key, value] : {std::pair{"name", f.name},
                                         {"caption", f.caption},
                                         {"unit", f.unit},
                                         {"meaning", f.meaning},
                                         {"kind", kinds[static_cast<int>(f.kind)]}}) {
            json += '"' + std::string(key) + "\":";
            appendJson(json, value);
            json += ',';
        }
        json += std::string("\"perRow\":") + (f.perRow() ? "true}" : "false}");
    }
    return handOut(json + "]");
}

EMSCRIPTEN_KEEPALIVE void zmbr_load() {
    sheet() = ParameterSheet();
    sheet().load();
}

EMSCRIPTEN_KEEPALIVE const char* zmbr_text(int id, int element) {
    return handOut(sheet().text(field(id, element)));
}

EMSCRIPTEN_KEEPALIVE void zmbr_set_text(int id, int element, const char* text) {
    sheet().setText(field(id, element), text);
}

EMSCRIPTEN_KEEPALIVE void zmbr_leave_field(int id, int element) {
    sheet().leaveField(field(id, element));
}

EMSCRIPTEN_KEEPALIVE void zmbr_set_option(int on) {
    sheet().setOption(on != 0);
}

EMSCRIPTEN_KEEPALIVE int zmbr_option() {
    return sheet().option() ? 1 : 0;
}

// paramFileName (which = 0) or outputFileName (1).
EMSCRIPTEN_KEEPALIVE const char* zmbr_file_name(int which) {
    const PanelInput& in = sheet().input();
    return handOut(which == 0 ? in.paramFileName : in.outputFileName);
}

EMSCRIPTEN_KEEPALIVE void zmbr_set_file_name(int which, const char* name) {
    PanelInput& in = sheet().input();
    (which == 0 ? in.paramFileName : in.outputFileName) = name;
}

// --- Open and Save ----------------------------------------------------------------------

EMSCRIPTEN_KEEPALIVE const char* zmbr_box_title() {
    return handOut(lastBox.title);
}

EMSCRIPTEN_KEEPALIVE const char* zmbr_box_text() {
    return handOut(lastBox.text);
}

// Reads the file of that name into the sheet as Open does; 1 if it did, 0 if a box tells why.
EMSCRIPTEN_KEEPALIVE int zmbr_open(const char* name) {
    lastBox = {};
    BoxCollector prompts;
    sheet().input().paramFileName = name;
    openParameterFile(sheet(), realFileSystem(), name, prompts);
    return lastBox.text.empty() ? 1 : 0;
}

// What the file of that name is by its first bytes (FileKind): 0 for none the core knows, 1 a
// result file, 2 a picture, 3 a PDF document, 4 an archive.
EMSCRIPTEN_KEEPALIVE int zmbr_file_kind(const char* name) {
    static_assert(static_cast<int>(FileKind::ResultFile) == 1);
    return static_cast<int>(recognizeFile(realFileSystem(), name).kind);
}

// Writes the sheet to the file of that name as Save does; 1 if it did, 0 if a box tells why.
EMSCRIPTEN_KEEPALIVE int zmbr_save(const char* name) {
    lastBox = {};
    BoxCollector prompts;
    saveParameterFile(sheet(), realFileSystem(), name, prompts);
    return lastBox.text.empty() ? 1 : 0;
}

// --- Execute and the run ----------------------------------------------------------------

// Execute up to the run: 1 if the run may start, 0 if a box tells why not.
EMSCRIPTEN_KEEPALIVE int zmbr_prepare_execute() {
    lastBox = {};
    ran = false;
    if (auto refusal = prepareExecute(sheet(), realFileSystem())) {
        lastBox = {"Error", refusal->message};
        return 0;
    }
    return 1;
}

// The run, watched by the calculation window's fields. Returns how it ended (RunEnd).
EMSCRIPTEN_KEEPALIVE int zmbr_run() {
    view = std::make_unique<PageView>();
    RunSettings settings;
    settings.clock = &pageClock();
    settings.observer = view.get();
    cancelled.store(false);
    settings.cancel = &cancelled;
    outcome = runAnalysis(sheet().input(), settings);
    ran = true;
    lastBox = outcome.message.empty() ? PageBox{} : PageBox{"Error", outcome.message};
    return static_cast<int>(outcome.end);
}

EMSCRIPTEN_KEEPALIVE int zmbr_run_steps() {
    return outcome.steps;
}

// The calculation window's fields as JSON, their names in the order of their numbers
// (CalcField). The page builds its calls from it.
EMSCRIPTEN_KEEPALIVE const char* zmbr_calc_fields() {
    std::string json = "[";
    for (int id = 0; id < kCalcFieldCount; ++id) {
        if (id > 0)
            json += ',';
        appendJson(json, calcFieldName(static_cast<CalcField>(id)));
    }
    return handOut(json + "]");
}

// A field of the calculation window, by its number (CalcField) and element.
EMSCRIPTEN_KEEPALIVE const char* zmbr_calc_text(int id, int element) {
    return handOut(view ? view->text(static_cast<CalcField>(id), element) : "");
}

EMSCRIPTEN_KEEPALIVE int zmbr_calc_row_searching(int element) {
    return view && view->rowSearching(element) ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const char* zmbr_calc_button() {
    return handOut(view ? view->buttonCaption() : "");
}

// A graph (0: ε1-ε2, 1: τ-γ): its limits, its full-scale texts, and its points as x, y pairs
// in the module's memory.
EMSCRIPTEN_KEEPALIVE double zmbr_graph_limit(int graph, int axis) {
    return axis == 0 ? trace(graph).xLim : trace(graph).yLim;
}

EMSCRIPTEN_KEEPALIVE const char* zmbr_graph_scale_text(int graph, int axis) {
    return handOut(axis == 0 ? trace(graph).xScaleText() : trace(graph).yScaleText());
}

EMSCRIPTEN_KEEPALIVE int zmbr_graph_point_count(int graph) {
    return static_cast<int>(trace(graph).points.size());
}

EMSCRIPTEN_KEEPALIVE const double* zmbr_graph_points(int graph) {
    static_assert(sizeof(std::pair<double, double>) == 2 * sizeof(double));
    const auto& points = trace(graph).points;
    return points.empty() ? nullptr : &points.front().first;
}

// Dates the runs and reports from now on: a moment in whole seconds since 1970 UTC, or the
// page's clock again for a negative one.
EMSCRIPTEN_KEEPALIVE void zmbr_fix_date(double epoch) {
    fixedClock.reset();
    if (epoch >= 0)
        if (auto moment = sourceDateEpoch(std::to_string(static_cast<long long>(epoch))))
            fixedClock.emplace(*moment);
}

// The report of the last run, made as `zmbr --report` makes it, written to `path`: 1, or 0
// with a box that tells why not. The report's fonts must be in the file system before the
// first report (report_fonts.cpp names their places).
EMSCRIPTEN_KEEPALIVE int zmbr_report(const char* path) {
    lastBox = {};
    if (!ran) {
        lastBox = {"Error", "There is no run to report yet."};
        return 0;
    }
    FileSystem& fs = realFileSystem();
    const PanelInput& in = sheet().input();
    PanelReportInput r;
    r.sheet = &sheet();
    // The panel's file, when the window still holds what it holds, is the report's inputs,
    // as on the command line; an edited panel is reported as the window shows it.
    ParameterSheet fromFile;
    fromFile.load();
    if (!in.paramFileName.empty() && fs.kindOf(in.paramFileName) == PathKind::NormalFile) {
        r.parameterFile = reportFileOf(fs, in.paramFileName);
        if (!readParameterFile(fromFile, fs, in.paramFileName) &&
            parameterFileLines(fromFile) == parameterFileLines(sheet()))
            r.sheet = &fromFile;
        else
            r.editedAfterReading = true;
    }
    const bool started = runStarted(outcome.end) || outcome.end == RunEnd::OpenFailed;
    if (!started && outcome.end != RunEnd::Unreadable)
        r.refusal = outcome.message;
    if (started) {
        r.outcome = outcome;
        readResultFileBack(r, fs, in.outputFileName);
    } else {
        r.resultFile = {in.outputFileName, std::nullopt};
    }
    r.date = pageClock().now();
    if (auto failure = writeReportPdf(panelReport(r), fs, path)) {
        lastBox = {"Error", failure->message};
        return 0;
    }
    return 1;
}

// --- The figure of result files -----------------------------------------------------------

// Adds the result file of that name to the figure under `label` (a run's comment; the file's
// name when empty): 1, or 0 with a box that tells why not.
EMSCRIPTEN_KEEPALIVE int zmbr_plot_add(const char* name, const char* label) {
    lastBox = {};
    ResultCurve curve;
    if (auto failure = readResultFile(realFileSystem(), name, curve)) {
        lastBox = {"Error", std::string(name) + ": " + failure->message};
        return 0;
    }
    plotted.emplace_back(*label ? label : name, std::move(curve));
    return 1;
}

// Takes the curve at that place (0 the first added) off the figure; the others keep their order.
EMSCRIPTEN_KEEPALIVE void zmbr_plot_remove(int index) {
    if (index >= 0 && index < static_cast<int>(plotted.size()))
        plotted.erase(plotted.begin() + index);
}

EMSCRIPTEN_KEEPALIVE void zmbr_plot_clear() {
    plotted.clear();
}

// The figure as JSON, laid out by the core as --plot lays it out: its title, each curve's label
// colour and whether it is dashed (for the list under it), and the drawing; τxy against γxy, or
// with `strains` ε2 against ε1.
EMSCRIPTEN_KEEPALIVE const char* zmbr_plot_figure(int strains) {
    const Figure figure = resultPlot(plotted, strains != 0);
    std::string out = "{\"title\":";
    appendJson(out, figure.title);
    out += ",\"curves\":[";
    for (std::size_t i = 0; i < figure.curves.size(); ++i) {
        out += i ? ",{\"label\":" : "{\"label\":";
        appendJson(out, figure.curves[i].label);
        out += ",\"colour\":";
        appendRgb(out, curveStyle(i).colour);
        out += curveStyle(i).dashes.empty() ? ",\"dashed\":false}" : ",\"dashed\":true}";
    }
    out += "],\"drawing\":";
    appendDrawing(out, drawFigure(figure, pageTextWidth()));
    out += '}';
    return handOut(std::move(out));
}

} // extern "C"
