// The module _zmbr: the core's panels, runs, studies and figure scales for Python. The package
// zmbr (zmbr/__init__.py) gives them their Python face.

#include "paramfile/parameter_file.h"
#include "platform/clock.h"
#include "platform/error_text.h"
#include "platform/file_system.h"
#include "run/result_file.h"
#include "run_panel.h"
#include "sheet_state.h"
#include "study/figure_scale.h"
#include "study/study_grid.h"
#include "study_plan.h"

#include <pybind11/functional.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <cstring>
#include <stdexcept>
#include <type_traits>

namespace py = pybind11;
using namespace zmbr;
using namespace zmbr::python;

namespace {

const FieldEntry& fieldOf(const std::string& name) {
    const FieldEntry* entry = fieldNamed(name);
    if (!entry)
        throw py::key_error(name);
    return *entry;
}

const char* kindName(FieldKind k) {
    switch (k) {
    case FieldKind::Text:
        return "text";
    case FieldKind::Number:
        return "number";
    case FieldKind::Choice:
        return "choice";
    case FieldKind::Flag:
        return "flag";
    }
    return "";
}

// The run's end by its own name, as RunEnd names it.
const char* endKind(RunEnd end) {
    switch (end) {
    case RunEnd::Failure:
        return "failure";
    case RunEnd::StepLimit:
        return "step_limit";
    case RunEnd::Stopped:
        return "stopped";
    case RunEnd::Cancelled:
        return "cancelled";
    case RunEnd::WriteFailed:
        return "write_failed";
    case RunEnd::OpenFailed:
        return "open_failed";
    case RunEnd::Refused:
        return "refused";
    case RunEnd::ResultUnwritable:
        return "result_unwritable";
    case RunEnd::Unreadable:
        return "unreadable";
    }
    return "";
}

py::list fields() {
    py::list out;
    for (const FieldEntry& e : fieldRegistry()) {
        py::dict d;
        d["name"] = e.name;
        d["caption"] = e.caption;
        d["unit"] = e.unit;
        d["meaning"] = e.meaning;
        d["kind"] = kindName(e.kind);
        d["per_row"] = e.perRow();
        d["varies"] = e.varies;
        d["pattern"] = e.pattern;
        out.append(d);
    }
    return out;
}

// Reads a parameter file as Open does; the words --batch prints when it cannot.
py::tuple readPanel(const std::string& path) {
    ParameterSheet sheet;
    sheet.load();
    if (auto failure = readParameterFile(sheet, realFileSystem(), path))
        return py::make_tuple(py::none(), "zmbr: " + path + ": " + failure->message);
    sheet.input().paramFileName = path;
    return py::make_tuple(std::move(sheet), py::none());
}

py::object fieldValueOf(const ParameterSheet& sheet, const std::string& name, int element) {
    const FieldEntry& e = fieldOf(name);
    switch (e.kind) {
    case FieldKind::Text:
        return py::str(sheet.input().comment);
    case FieldKind::Flag:
        return py::bool_(sheet.option());
    case FieldKind::Choice:
        return py::str(sheet.text({e.field, element}));
    case FieldKind::Number:
        break;
    }
    return py::float_(static_cast<double>(fieldValue(sheet.input(), e.field, element + 1)));
}

// Writes the version-3 file as Save does; the words of a failed save as --convert prints them.
py::object writePanel(ParameterSheet& sheet, const std::string& path) {
    if (int code = writeParameterFile(sheet, realFileSystem(), path))
        return py::str("zmbr: " + path + ": " + saveFailureMessage(code) + " (" + errorText(code) +
                       ")");
    return py::none();
}

py::tuple stateTuple(const SheetState& s) {
    return py::make_tuple(s.texts, s.option, s.comment, s.paramFileName, s.outputFileName, s.values,
                          s.modes, s.optionOn);
}

SheetState stateOf(const py::tuple& t) {
    if (t.size() != 8)
        throw std::invalid_argument("not the state of a panel");
    return SheetState{t[0].cast<std::vector<std::string>>(),
                      t[1].cast<bool>(),
                      t[2].cast<std::string>(),
                      t[3].cast<std::string>(),
                      t[4].cast<std::string>(),
                      t[5].cast<std::vector<float>>(),
                      t[6].cast<std::vector<int>>(),
                      t[7].cast<int>()};
}

// The run, without the GIL; the progress callback takes it back for its call.
// `epoch`, a SOURCE_DATE_EPOCH value, dates the result file wherever the run goes (a cluster's
// worker has an environment of its own); without it the command line's clock does.
RunResult runWithProgress(const ParameterSheet& sheet, py::object progress,
                          std::optional<std::string> epoch) {
    std::optional<FixedClock> moment;
    if (epoch)
        if (auto t = sourceDateEpoch(*epoch))
            moment.emplace(*t);
    const Clock* clock = moment ? &*moment : nullptr;
    ParameterSheet copy = sheet; // while Python's threads wait: none changes it meanwhile
    if (progress.is_none()) {
        py::gil_scoped_release release;
        return runPanel(std::move(copy), {}, true, clock);
    }
    std::optional<py::error_already_set> raised;
    StepProgress watch = [&](int step, const double* line, std::size_t count) {
        py::gil_scoped_acquire acquire;
        try {
            py::tuple values(count);
            for (std::size_t i = 0; i < count; ++i)
                values[i] = py::float_(line[i]);
            return !progress(step, values).is(py::bool_(false));
        } catch (py::error_already_set& e) {
            raised = std::move(e);
            return false;
        }
    };
    RunResult r;
    {
        py::gil_scoped_release release;
        r = runPanel(std::move(copy), watch, true, clock);
    }
    if (raised)
        throw std::move(*raised);
    return r;
}

// The result file as read back, where it was: its step lines' numbers as bytes.
static_assert(std::is_trivially_copyable_v<ResultStep>, "step lines travel as bytes");

py::object curveState(const RunResult& r) {
    if (!r.readBack)
        return py::none();
    if (!r.written)
        return py::make_tuple();
    const ResultCurve& c = *r.written;
    std::vector<int> statuses;
    for (RowStatus s : c.rowStatuses)
        statuses.push_back(static_cast<int>(s));
    return py::make_tuple(c.rows,
                          py::bytes(reinterpret_cast<const char*>(c.steps.data()),
                                    c.steps.size() * sizeof(ResultStep)),
                          c.closed, static_cast<int>(c.concreteStatus), statuses);
}

void curveOf(const py::object& state, RunResult& r) {
    if (state.is_none())
        return;
    r.readBack = true;
    const auto t = state.cast<py::tuple>();
    if (t.size() == 0)
        return;
    ResultCurve c;
    c.rows = t[0].cast<int>();
    const auto steps = t[1].cast<std::string>();
    c.steps.resize(steps.size() / sizeof(ResultStep));
    std::memcpy(c.steps.data(), steps.data(), c.steps.size() * sizeof(ResultStep));
    c.closed = t[2].cast<bool>();
    c.concreteStatus = static_cast<ConcreteStatus>(t[3].cast<int>());
    for (int s : t[4].cast<std::vector<int>>())
        c.rowStatuses.push_back(static_cast<RowStatus>(s));
    r.written = std::move(c);
}

py::tuple resultState(const RunResult& r) {
    const RunOutcome& o = r.outcome;
    py::bytes values(reinterpret_cast<const char*>(r.values.data()),
                     r.values.size() * sizeof(double));
    py::object file = r.fileBytes ? py::object(py::bytes(*r.fileBytes)) : py::object(py::none());
    return py::make_tuple(static_cast<int>(o.end), o.steps, o.concreteNG,
                          std::vector<bool>(o.ruptured.begin(), o.ruptured.end()),
                          std::vector<bool>(o.yielded.begin(), o.yielded.end()), o.tauMax, o.cause,
                          o.message, r.rows, r.paramFile, r.resultFile, file, values, r.seconds,
                          curveState(r));
}

RunResult resultOf(const py::tuple& t) {
    if (t.size() != 15)
        throw std::invalid_argument("not the state of a run");
    RunResult r;
    RunOutcome& o = r.outcome;
    o.end = static_cast<RunEnd>(t[0].cast<int>());
    o.steps = t[1].cast<int>();
    o.concreteNG = t[2].cast<bool>();
    const auto ruptured = t[3].cast<std::vector<bool>>();
    const auto yielded = t[4].cast<std::vector<bool>>();
    for (std::size_t i = 0; i < kMaxRows && i < ruptured.size() && i < yielded.size(); ++i) {
        o.ruptured[i] = ruptured[i];
        o.yielded[i] = yielded[i];
    }
    o.tauMax = t[5].cast<double>();
    o.cause = t[6].cast<std::string>();
    o.message = t[7].cast<std::string>();
    r.rows = t[8].cast<int>();
    r.paramFile = t[9].cast<std::string>();
    r.resultFile = t[10].cast<std::string>();
    if (!t[11].is_none())
        r.fileBytes = t[11].cast<std::string>();
    const auto values = t[12].cast<std::string>();
    r.values.resize(values.size() / sizeof(double));
    std::memcpy(r.values.data(), values.data(), r.values.size() * sizeof(double));
    r.seconds = t[13].cast<double>();
    curveOf(t[14], r);
    return r;
}

// The step lines' numbers as a steps × columns array, sharing the result's memory.
py::array_t<double> stepValues(py::object self) {
    const RunResult& r = self.cast<const RunResult&>();
    const auto columns = static_cast<py::ssize_t>(r.columns());
    const auto steps = static_cast<py::ssize_t>(r.values.size()) / columns;
    return py::array_t<double>({steps, columns},
                               {columns * static_cast<py::ssize_t>(sizeof(double)),
                                static_cast<py::ssize_t>(sizeof(double))},
                               r.values.data(), self);
}

// The result file as --plot reads it: the points of a τ-γ or ε1-ε2 curve from the origin, and
// the mark at the last step of a run that failed.
py::dict plotCurve(const RunResult& r) {
    py::dict d;
    std::vector<double> tau{0.0}, gamma{0.0}, eps1{0.0}, eps2{0.0};
    EndMark mark = EndMark::None;
    if (auto curve = r.readBack ? r.written : writtenCurve(r)) {
        for (const ResultStep& s : curve->steps) {
            tau.push_back(s.tauXY);
            gamma.push_back(s.gammaXY);
            eps1.push_back(s.eps1);
            eps2.push_back(s.eps2);
        }
        mark = lastStepMark(*curve);
    }
    d["tau"] = tau;
    d["gamma"] = gamma;
    d["eps1"] = eps1;
    d["eps2"] = eps2;
    d["mark"] = markName(mark);
    return d;
}

std::vector<const RunResult*> resultPointers(const std::vector<py::object>& results) {
    std::vector<const RunResult*> out;
    for (const py::object& o : results)
        out.push_back(&o.cast<const RunResult&>());
    return out;
}

py::dict axisScaleOf(double low, double high, bool fromZero) {
    const AxisScale s = axisScale(low, high, fromZero);
    std::vector<std::string> labels;
    for (double v : s.ticks)
        labels.push_back(tickLabel(v, s.decimals));
    py::dict d;
    d["low"] = s.low;
    d["high"] = s.high;
    d["ticks"] = s.ticks;
    d["labels"] = labels;
    return d;
}

// What the study's chart shows: each variant's stored texts, τxy max and end mark; and the grid
// of a map where the chart would hold too many curves.
py::dict studyFigure(const PlannedStudy& plan, const std::vector<py::object>& results) {
    const StudyResults sr = studyResults(plan, resultPointers(results));
    py::dict d;
    std::vector<std::string> names, captions;
    for (const VariedName& n : sr.names) {
        names.push_back(n.text);
        captions.push_back(n.caption());
    }
    d["file"] = sr.file;
    d["names"] = names;
    d["captions"] = captions;
    py::list points;
    for (const StudyPoint& p : sr.points)
        points.append(py::make_tuple(
            p.stored, p.tauMax ? py::object(py::float_(*p.tauMax)) : py::object(py::none()),
            markName(endMarkOf(p.end))));
    d["points"] = points;
    d["wants_map"] = studyWantsMap(sr);
    if (sr.names.size() >= 2) {
        const StudyGrid g = studyGrid(sr);
        py::list cells;
        for (const StudyCell& c : g.cells)
            cells.append(py::make_tuple(
                c.tauMax ? py::object(py::float_(*c.tauMax)) : py::object(py::none()), c.end));
        d["grid"] = py::dict(py::arg("xs") = g.xs, py::arg("ys") = g.ys, py::arg("cells") = cells,
                             py::arg("folded") = g.folded);
    }
    return d;
}

} // namespace

PYBIND11_MODULE(_zmbr, m) {
    m.doc() = "The ZMBR core: panels, runs, studies and figure scales";
    m.def("fields", &fields, "The field registry: every parameter's name, unit and meaning");

    py::class_<ParameterSheet>(m, "Sheet")
        .def(py::init([] {
            ParameterSheet s;
            s.load();
            return s;
        }))
        .def("copy", [](const ParameterSheet& s) { return ParameterSheet(s); })
        .def("text",
             [](const ParameterSheet& s, const std::string& name, int element) {
                 return s.text({fieldOf(name).field, element});
             })
        .def("value", &fieldValueOf)
        .def("type",
             [](ParameterSheet& s, const std::string& name, int element, const std::string& text) {
                 return typeField(s, fieldOf(name), element, text);
             })
        .def("used_rows", [](const ParameterSheet& s) { return s.input().usedRows(); })
        .def("file", [](const ParameterSheet& s) { return s.input().outputFileName; })
        .def("param_file", [](const ParameterSheet& s) { return s.input().paramFileName; })
        .def("lines", &parameterFileLines)
        .def("write", &writePanel)
        .def("run", &runWithProgress, py::arg("progress") = py::none(),
             py::arg("epoch") = py::none())
        .def("state", [](const ParameterSheet& s) { return stateTuple(sheetState(s)); })
        .def_static("from_state", [](const py::tuple& t) { return sheetFromState(stateOf(t)); });
    m.def("read", &readPanel);

    py::class_<RunResult>(m, "Result")
        .def_property_readonly("end_kind",
                               [](const RunResult& r) { return endKind(r.outcome.end); })
        .def_property_readonly("end_token", [](const RunResult& r) { return endToken(r.outcome); })
        .def_property_readonly("end_words", [](const RunResult& r) { return endWords(r.outcome); })
        .def_property_readonly("started",
                               [](const RunResult& r) { return runStarted(r.outcome.end); })
        .def_property_readonly("steps_done", [](const RunResult& r) { return r.outcome.steps; })
        .def_property_readonly("concrete_ng",
                               [](const RunResult& r) { return r.outcome.concreteNG; })
        .def_property_readonly("ruptured_rows",
                               [](const RunResult& r) {
                                   std::vector<int> rows;
                                   for (int i = 0; i < kMaxRows; ++i)
                                       if (r.outcome.ruptured[static_cast<std::size_t>(i)])
                                           rows.push_back(i + 1);
                                   return rows;
                               })
        .def_property_readonly("yielded_rows",
                               [](const RunResult& r) {
                                   std::vector<int> rows;
                                   for (int i = 0; i < kMaxRows; ++i)
                                       if (r.outcome.yielded[static_cast<std::size_t>(i)])
                                           rows.push_back(i + 1);
                                   return rows;
                               })
        .def_property_readonly("tau_max", [](const RunResult& r) { return r.outcome.tauMax; })
        .def_property_readonly("cause", [](const RunResult& r) { return r.outcome.cause; })
        .def_property_readonly("message", [](const RunResult& r) { return r.outcome.message; })
        .def_property_readonly("rows", [](const RunResult& r) { return r.rows; })
        .def_property_readonly("param_file", [](const RunResult& r) { return r.paramFile; })
        .def_property_readonly("result_file", [](const RunResult& r) { return r.resultFile; })
        .def_property_readonly("seconds", [](const RunResult& r) { return r.seconds; })
        .def_property_readonly("file_bytes",
                               [](const RunResult& r) -> py::object {
                                   if (!r.fileBytes)
                                       return py::none();
                                   return py::bytes(*r.fileBytes);
                               })
        .def("values", &stepValues)
        .def("plot_curve", &plotCurve)
        .def("read_back",
             [](RunResult& r) {
                 py::gil_scoped_release release;
                 readBack(r);
             })
        .def("state", &resultState)
        .def_static("from_state", &resultOf);

    py::class_<PlannedStudy>(m, "StudyPlan")
        .def(py::init(&planStudy))
        .def_readonly("paths", &PlannedStudy::paths)
        .def_readonly("stored", &PlannedStudy::stored)
        .def_readonly("notes", &PlannedStudy::notes)
        .def_property_readonly("names",
                               [](const PlannedStudy& p) {
                                   std::vector<std::string> names;
                                   for (const VariedRange& r : p.ranges)
                                       names.push_back(r.name.text);
                                   return names;
                               })
        .def("file_bytes",
             [](const PlannedStudy& p, std::size_t k) { return py::bytes(p.fileBytes.at(k)); })
        .def("variant", [](const PlannedStudy& p, std::size_t k) { return p.variants.at(k); })
        .def("__len__", [](const PlannedStudy& p) { return p.variants.size(); })
        .def("summary",
             [](const PlannedStudy& p, const std::vector<py::object>& results) {
                 return py::bytes(studySummary(p, resultPointers(results)));
             })
        .def("figure", &studyFigure);

    m.def("axis_scale", &axisScaleOf, py::arg("low"), py::arg("high"), py::arg("from_zero"),
          "An axis's ends, ticks and tick labels, as the program's figures lay it out");
    m.def(
        "mark_name", [](const std::string& end) { return markName(endMarkOf(end)); },
        "The legend's words for the mark of an end the summary table names");
    m.def("result_columns", [](int rows) { return resultColumnTitles(rows); });

    // The core's own run of a panel, without Python's share: the yardstick of the benchmark.
    m.def("_core_run_seconds", [](const ParameterSheet& s) {
        ParameterSheet copy = s;
        py::gil_scoped_release release;
        return runPanel(std::move(copy), {}, false).seconds;
    });
}
