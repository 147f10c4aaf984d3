"use strict";
// The core's functions (web/bridge.cpp) as JavaScript calls, for the page and for the worker.

var ZMBR = self.ZMBR || (self.ZMBR = {});

// The parameter window's controls and the calculation window's fields, numbered as the core
// numbers them.
ZMBR.Control = Object.freeze({
  Text1: 0,
  Text2: 1,
  Text3: 2,
  Text4: 3,
  Text5: 4,
  Text6: 5,
  Text7: 6,
  Text8: 7,
  Text9: 8,
  Text10: 9,
  Text11: 10,
  Text12: 11,
  Text13: 12,
  Text14: 13,
  Text15: 14,
  Text16: 15,
  Combo1: 16,
});
ZMBR.rowControls = ["Text15", "Text2", "Text3", "Text6", "Text7", "Combo1"];
ZMBR.panelControls = [
  "Text1",
  "Text4",
  "Text5",
  "Text8",
  "Text9",
  "Text10",
  "Text11",
  "Text12",
  "Text13",
  "Text14",
  "Text16",
];
ZMBR.rowCount = 10;

ZMBR.bindCore = function bindCore(m) {
  const text =
    (fn) =>
    (...args) =>
      m.UTF8ToString(fn(...args));
  const core = {
    module: m,
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
    prepareExecute: m._zmbr_prepare_execute,
    run: m._zmbr_run,
    runSteps: m._zmbr_run_steps,
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
      for (const name of ZMBR.panelControls)
        texts.push([ZMBR.Control[name], 0, core.text(ZMBR.Control[name], 0)]);
      for (const name of ZMBR.rowControls)
        for (let e = 0; e < ZMBR.rowCount; e++)
          texts.push([ZMBR.Control[name], e, core.text(ZMBR.Control[name], e)]);
      return {
        texts,
        option: core.option(),
        paramFileName: core.fileName(0),
        outputFileName: core.fileName(1),
      };
    },
    setSheetState(state) {
      core.load();
      for (const [control, element, value] of state.texts) core.setText(control, element, value);
      core.setOption(state.option);
      core.setFileName(0, state.paramFileName);
      core.setFileName(1, state.outputFileName);
    },
    plotAdd: m.cwrap("zmbr_plot_add", "number", ["string"]),
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

// The calculation window's fields as the worker hands them over: [control, element], where
// control counts Text1 = 0 … Text17 = 16.
ZMBR.calcFields = (() => {
  const fields = [];
  for (const control of [0, 2, 6, 7, 8, 9, 11, 12, 14, 15, 16]) fields.push([control, 0]);
  for (let e = 0; e < 10; e++) fields.push([1, e], [10, e]);
  for (let k = 0; k < 8; k++) fields.push([13, k], [3, k], [4, k], [5, k]);
  return fields;
})();
