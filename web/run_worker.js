"use strict";
// The worker that runs an analysis: it builds the sheet the page hands over, does Execute as
// the core does it, and runs, handing the calculation window's fields and the graphs' new
// points to the page at most every refresh interval. The result file is handed over at the
// end. A pool of these runs a study's variants.

var ZMBR = self.ZMBR || (self.ZMBR = {});

(() => {
  let core = null;
  let cancelFlag = null;
  let waiting = null; // a run asked for before the module was ready
  let shown = []; // [field number, element] of the fields the page shows, in its order
  const sent = [
    { count: 0, xLim: NaN, yLim: NaN },
    { count: 0, xLim: NaN, yLim: NaN },
  ];

  function snapshot() {
    const texts = shown.map(([id, element]) => core.calcText(id, element));
    const searching = [];
    for (let e = 0; e < ZMBR.rowCount; e++) searching.push(core.calcRowSearching(e));
    const graphs = sent.map((last, graph) => {
      const xLim = core.graphLimit(graph, 0);
      const yLim = core.graphLimit(graph, 1);
      // The points drawn since the last snapshot, or all of them after a redraw.
      const count = core.module._zmbr_graph_point_count(graph);
      const from = xLim === last.xLim && yLim === last.yLim && count >= last.count ? last.count : 0;
      Object.assign(last, { count, xLim, yLim });
      const coordinates = core.graphPoints(graph, from);
      return {
        xLim,
        yLim,
        from,
        coordinates,
        xText: core.graphScaleText(graph, 0),
        yText: core.graphScaleText(graph, 1),
      };
    });
    return { texts, searching, button: core.calcButton(), graphs };
  }

  // Called by the run at its refresh points; true asks the run to stop.
  function onProgress() {
    self.postMessage({ type: "progress", snapshot: snapshot() });
    return cancelFlag !== null && Atomics.load(cancelFlag, 0) === 1;
  }

  let panelFile = null; // the name under which the panel's file was put, for the report

  function run({ state, fields, paramFile, epoch }) {
    shown = fields.map(([name, element]) => [core.calcFieldId(name), element]);
    if (panelFile) core.removeFile(panelFile);
    panelFile = paramFile ? paramFile.name : null;
    if (paramFile) core.writeFile(paramFile.name, paramFile.bytes);
    core.fixDate(epoch ?? -1);
    for (const last of sent) Object.assign(last, { count: 0, xLim: NaN, yLim: NaN });
    const started = performance.now();
    core.setSheetState(state);
    if (!core.prepareExecute()) {
      self.postMessage({
        type: "end",
        refused: core.box(),
        snapshot: snapshot(),
        result: null,
        seconds: 0,
      });
      return;
    }
    const end = core.run();
    const seconds = (performance.now() - started) / 1000;
    const name = core.fileName(1);
    let result = null;
    try {
      result = { name: name.replace(/^.*\//, ""), bytes: core.readFile(name) };
    } catch (e) {
      result = null; // no result file was written
    }
    self.postMessage({
      type: "end",
      end,
      steps: core.runSteps(),
      box: core.box(),
      snapshot: snapshot(),
      result,
      seconds,
      outputFileName: name,
    });
  }

  // The last run's report as a PDF file's bytes, or the box that tells why there is none.
  function report({ fonts }) {
    for (const [path, bytes] of fonts) {
      if (core.module.FS.analyzePath(path).exists) continue;
      core.module.FS.mkdirTree(path.replace(/\/[^/]*$/, ""));
      core.module.FS.writeFile(path, bytes);
    }
    const path = "/report.pdf";
    const made = core.report(path);
    const bytes = made ? core.readFile(path) : null;
    core.removeFile(path);
    self.postMessage({ type: "report", bytes, box: made ? null : core.box() });
  }

  // A study's variants, one after another: each file is run as --batch runs it, and its end
  // goes back as the core's record of it.
  function variants({ jobs }) {
    for (const { k, path, bytes } of jobs) {
      // The variants' folder, beside the files the worker works in.
      const folder = path.replace(/\/?[^/]*$/, "");
      if (folder && !core.module.FS.analyzePath(folder).exists) core.module.FS.mkdir(folder);
      core.writeFile(path, bytes);
      self.postMessage({ type: "variant", k, record: core.studyRun(path) });
    }
  }

  let pending = []; // variants asked for before the module was ready

  self.onmessage = async (event) => {
    const message = event.data;
    if (message.type === "init") {
      cancelFlag = message.cancelFlag;
      const module = await createZmbrCore({
        onProgress,
        instantiateWasm(imports, receive) {
          WebAssembly.instantiate(message.wasmModule, imports).then((instance) =>
            receive(instance, message.wasmModule),
          );
          return {};
        },
      });
      core = ZMBR.bindCore(module);
      module.FS.mkdir("/files");
      module.FS.chdir("/files");
      if (waiting) run(waiting);
      waiting = null;
      for (const message of pending) variants(message);
      pending = [];
    } else if (message.type === "report") {
      report(message);
    } else if (message.type === "variants") {
      if (core) variants(message);
      else pending.push(message);
    } else if (message.type === "run") {
      if (core) run(message);
      else waiting = message;
    }
  };
})();
