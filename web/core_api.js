"use strict";
// The core's functions (web/bridge.cpp) as JavaScript calls, for the page and for the worker.

var ZMBR = self.ZMBR || (self.ZMBR = {});

ZMBR.rowCount = 10;

// The report's fonts: where the core looks for them (Debian's places, report_fonts.cpp) and
// their names in the site's fonts/ folder. The last one only sets Japanese comments.
ZMBR.reportFonts = [
  "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
  "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
  "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
  "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
];

ZMBR.bindCore = function bindCore(m) {
  const text =
    (fn) =>
    (...args) =>
      m.UTF8ToString(fn(...args));
  // The field registry of the core: each field's name, caption, unit, meaning and kind, by
  // the number the core's calls take.
  const fields = JSON.parse(m.UTF8ToString(m._zmbr_fields()));
  // The calculation window's fields by name, in the order of the numbers the core's calls take.
  const calcFields = JSON.parse(m.UTF8ToString(m._zmbr_calc_fields()));
  const core = {
    module: m,
    fields,
    fieldId: (name) => fields.findIndex((f) => f.name === name),
    load: m._zmbr_load,
    text: text(m._zmbr_text),
    setText: m.cwrap("zmbr_set_text", null, ["number", "number", "string"]),
    leaveField: m._zmbr_leave_field,
    setOption: (on) => m._zmbr_set_option(on ? 1 : 0),
    option: () => m._zmbr_option() === 1,
    fileName: text(m._zmbr_file_name),
    setFileName: m.cwrap("zmbr_set_file_name", null, ["number", "string"]),
    box: () => ({
      title: m.UTF8ToString(m._zmbr_box_title()),
      text: m.UTF8ToString(m._zmbr_box_text()),
    }),
    open: m.cwrap("zmbr_open", "number", ["string"]),
    save: m.cwrap("zmbr_save", "number", ["string"]),
    isResultFile: (name) => m.cwrap("zmbr_file_kind", "number", ["string"])(name) === 1,
    prepareExecute: m._zmbr_prepare_execute,
    run: m._zmbr_run,
    runSteps: m._zmbr_run_steps,
    fixDate: m._zmbr_fix_date,
    report: m.cwrap("zmbr_report", "number", ["string"]),
    calcFieldId: (name) => calcFields.indexOf(name),
    calcText: text(m._zmbr_calc_text),
    calcRowSearching: (e) => m._zmbr_calc_row_searching(e) === 1,
    calcButton: text(m._zmbr_calc_button),
    graphLimit: m._zmbr_graph_limit,
    graphScaleText: text(m._zmbr_graph_scale_text),
    graphPoints(graph, from) {
      const count = m._zmbr_graph_point_count(graph);
      if (count <= from) return new Float64Array(0);
      const at = m._zmbr_graph_points(graph) / 8;
      return m.HEAPF64.slice(at + 2 * from, at + 2 * count);
    },
    // Every text of the sheet, as [control, element, text], and the check box.
    sheetState() {
      const texts = [];
      fields.forEach((f, id) => {
        if (f.kind === "flag") return;
        for (let e = 0; e < (f.perRow ? ZMBR.rowCount : 1); e++)
          texts.push([id, e, core.text(id, e)]);
      });
      return {
        texts,
        option: core.option(),
        paramFileName: core.fileName(0),
        outputFileName: core.fileName(1),
      };
    },
    setSheetState(state) {
      core.load();
      for (const [id, element, value] of state.texts) core.setText(id, element, value);
      core.setOption(state.option);
      core.setFileName(0, state.paramFileName);
      core.setFileName(1, state.outputFileName);
    },
    plotAdd: m.cwrap("zmbr_plot_add", "number", ["string", "string"]),
    // A returned text's bytes as they are (a parameter file may be CP932).
    bytesOf(pointer) {
      return m.HEAPU8.slice(pointer, m.HEAPU8.indexOf(0, pointer));
    },
    studyNames: () => m.UTF8ToString(m._zmbr_study_names()).split("\n"),
    studyPlan: m.cwrap("zmbr_study_plan", "number", ["string"]),
    studyNotes: () => m.UTF8ToString(m._zmbr_study_notes()).split("\n").filter(Boolean),
    studyVariant: (k) => ({
      k,
      path: m.UTF8ToString(m._zmbr_study_variant_path(k)),
      bytes: core.bytesOf(m._zmbr_study_variant_file(k)),
    }),
    studyRun: (path) => core.bytesOf(m.ccall("zmbr_study_run", "number", ["string"], [path])),
    studyAdd: (k, record) =>
      m.ccall(
        "zmbr_study_add",
        "number",
        ["number", "array", "number"],
        [k, record, record.length],
      ),
    studySummary: () => m.UTF8ToString(m._zmbr_study_summary()),
    studyPicture: () => JSON.parse(m.UTF8ToString(m._zmbr_study_picture())),
    studyReport: m.cwrap("zmbr_study_report", "number", ["string", "string"]),
    studyOpen: (k) => m._zmbr_study_open(k) === 1,
    writeFile: (name, bytes) => m.FS.writeFile(name, bytes),
    readFile: (name) => m.FS.readFile(name),
    removeFile(name) {
      try {
        m.FS.unlink(name);
      } catch (e) {
        // there was no such file
      }
    },
  };
  return core;
};
