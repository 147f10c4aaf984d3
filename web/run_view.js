"use strict";
// The run as the page shows it: the calculation window and the two graph windows, fed by the
// worker that runs the analysis. The button reads "Cancel" while the run goes on and "OK"
// after it; pressing it closes the three windows and brings back the parameter window.

var ZMBR = self.ZMBR || (self.ZMBR = {});

ZMBR.RunView = class RunView {
  // Labels of the calculation window: text, left, top, width, height.
  static labels = [
    ["ρ", 30, 120, 210],
    ["εcr", 3960, 975, 330],
    ["ly", 3960, 1335, 330],
    ["Step", 240, 1695, 570],
    ["Count", 1470, 1695, 570],
    ["i", 2880, 1695, 330],
    ["Pb", 3960, 1695, 330],
    ["N-mm", 360, 2160, 900],
    ["ε1", 360, 5175, 330],
    ["τxy", 1800, 5145, 450],
    ["γxy", 3360, 5175, 450],
    ["Con- crete", 360, 5640, 780, 480],
    ["τxy max", 1920, 5640, 690, 480],
  ];
  // Single fields: field (the core's name), control, caption a screen reader reads, left, top,
  // width.
  static singles = [
    ["crackingStrain", "Text3", "εcr", 4320, 960, 960],
    ["yieldLength", "Text16", "ly", 4320, 1320, 960],
    ["step", "Text1", "Step", 840, 1680, 600],
    ["passCount", "Text12", "Count", 2040, 1680, 600],
    ["currentRow", "Text13", "i", 3240, 1680, 600],
    ["pb", "Text17", "Pb", 4320, 1680, 960],
    ["eps1", "Text7", "ε1", 720, 5160, 1020],
    ["tauXY", "Text8", "τxy", 2280, 5130, 900],
    ["gammaXY", "Text9", "γxy", 3840, 5160, 1080],
    ["concreteStatus", "Text10", "Concrete", 1200, 5730, 600],
    ["tauMax", "Text15", "τxy max", 2640, 5760, 960],
  ];
  // The iteration table's columns: field, control, title, left, width.
  static columns = [
    ["theta", "Text14", "θ", 600, 900],
    ["sumFriy", "Text4", "Σfriy", 1560, 1080],
    ["fc2", "Text5", "fc2", 2760, 1080],
    ["fx", "Text6", "fx", 3960, 1080],
  ];

  constructor(sources, onClosed) {
    this.sources = sources;
    this.onClosed = onClosed;
    this.outputs = new Map(); // "field:element" -> output element
    this.fieldList = []; // [field, element] of each output, in the order of the snapshots' texts
    this.running = false;
    this.result = null; // { name, bytes } of the last run
    this.buildForm2(document.getElementById("form2-client"));
    this.graphs = [
      this.buildGraph(document.getElementById("form3-client"), "ε2", "ε1"),
      this.buildGraph(document.getElementById("form4-client"), "τxy", "γxy"),
    ];
    this.panelName = () => "zmbr"; // the panel's name without its extension, for the saves
    this.buildGraphSaves(document.getElementById("form2"));
    // Where the page can share a flag with the worker, Cancel ends the run at its next
    // yield point as on the desktop; elsewhere (a page opened from disk) the worker is
    // stopped at once.
    this.cancelFlag = self.crossOriginIsolated ? new Int32Array(new SharedArrayBuffer(4)) : null;
    this.spawn();
  }

  // The output of a field (by the core's name), its id after its control: Form2-Text3,
  // Form2-Text14_0.
  output(field, element, id, left, top, width, height, name) {
    const o = ZMBR.element("output", "value");
    o.id = `Form2-${id}`;
    o.setAttribute("aria-label", name);
    if (field === "concreteStatus" || field === "rowStatus") o.classList.add("centred");
    this.outputs.set(`${field}:${element}`, o);
    this.fieldList.push([field, element]);
    this.form2.append(ZMBR.twips(o, left, top, width, height));
  }

  buildForm2(client) {
    this.form2 = client;
    const label = (text, left, top, width, height = 255) => {
      const l = ZMBR.element("div", "calc-label", text);
      l.setAttribute("aria-hidden", "true");
      client.append(ZMBR.twips(l, left, top, width, height));
    };
    client.append(ZMBR.twips(ZMBR.element("div", "shape"), 240, 2040, 5055, 2655));
    client.append(ZMBR.twips(ZMBR.element("div", "shape"), 240, 4800, 5055, 1455));
    for (const [text, left, top, width, height] of RunView.labels)
      label(text, left, top, width, height);
    for (let i = 1; i <= 10; i++) {
      const left = 600 + 1680 * Math.floor((i - 1) / 4);
      const top = 120 + 360 * ((i - 1) % 4);
      label(String(i), left - 300, top + 15, 270);
      this.output("rowRatio", i - 1, `Text2_${i - 1}`, left, top, 840, 285, `ρ of row ${i}`);
      this.output(
        "rowStatus",
        i - 1,
        `Text11_${i - 1}`,
        left + 840,
        top,
        480,
        285,
        `status of row ${i}`,
      );
    }
    for (const [field, control, name, left, top, width] of RunView.singles)
      this.output(field, 0, control, left, top, width, 285, name);
    for (const [field, control, title, left, width] of RunView.columns) {
      label(title, left, 2400, width, 240);
      for (let k = 0; k < 8; k++) {
        const name = `${title}, iterate row ${k + 1}`;
        this.output(field, k, `${control}_${k}`, left, 2640 + 240 * k, width, 240, name);
      }
    }
    this.button = ZMBR.element("button", "command", "Command");
    this.button.type = "button";
    this.button.id = "Form2-Command1";
    this.button.addEventListener("click", () => this.press());
    client.append(ZMBR.twips(this.button, 4080, 5760, 975, 375));
    this.download = ZMBR.element("a", "download");
    this.download.hidden = true;
    this.reportButton = ZMBR.element("button", "download", "Save report...");
    this.reportButton.type = "button";
    this.reportButton.id = "Form2-report";
    this.reportButton.hidden = true;
    client.parentElement.append(this.download, this.reportButton);
  }

  // The graph windows' saves, under the calculation window: PANEL-eps1-eps2.png and .svg,
  // PANEL-tau-gamma.png and .svg.
  buildGraphSaves(form2) {
    const holder = ZMBR.element("div", "graph-saves");
    holder.setAttribute("role", "group");
    holder.setAttribute("aria-label", "Save the graphs");
    const windows = [
      ["ε1-ε2", "eps1-eps2", this.graphs[0], "ε2", "ε1"],
      ["τ-γ", "tau-gamma", this.graphs[1], "τxy", "γxy"],
    ];
    for (const [title, suffix, graph, yTitle, xTitle] of windows)
      for (const kind of ["png", "svg"]) {
        const button = ZMBR.element("button", null, `Save ${title} as ${kind.toUpperCase()}`);
        button.type = "button";
        button.id = `save-${suffix}-${kind}`;
        button.addEventListener("click", () => {
          const texts = [yTitle, graph.yScale.value, xTitle, graph.xScale.value];
          ZMBR.saveGraph(graph.curve, `${this.panelName()}-${suffix}`, texts, kind);
        });
        holder.append(button, " ");
      }
    form2.append(holder);
  }

  buildGraph(client, yTitle, xTitle) {
    const canvas = ZMBR.element("canvas", "surface");
    canvas.setAttribute("role", "img");
    canvas.setAttribute("aria-label", `${yTitle} against ${xTitle}`);
    client.append(ZMBR.twips(canvas, 0, 0, 3195, 3060));
    const yLabel = ZMBR.twips(ZMBR.element("div", "graph-label", yTitle), 30, 0, 600, 240);
    const xLabel = ZMBR.twips(
      ZMBR.element("div", "graph-label right", xTitle),
      2280,
      2520,
      885,
      240,
    );
    const yScale = ZMBR.twips(ZMBR.element("output", "value scale"), 0, 240, 915, 285);
    const xScale = ZMBR.twips(ZMBR.element("output", "value scale"), 2280, 2760, 915, 285);
    yScale.setAttribute("aria-label", `full scale of ${yTitle}`);
    xScale.setAttribute("aria-label", `full scale of ${xTitle}`);
    client.append(yLabel, xLabel, yScale, xScale);
    return { curve: new ZMBR.GraphCurve(canvas), xScale, yScale };
  }

  spawn() {
    const code = [this.sources.coreScript, this.sources.apiScript, this.sources.workerScript].join(
      "\n;\n",
    );
    const url = URL.createObjectURL(new Blob([code], { type: "text/javascript" }));
    this.worker = new Worker(url);
    URL.revokeObjectURL(url);
    this.worker.onmessage = (event) => this.receive(event.data);
    this.worker.postMessage({
      type: "init",
      wasmModule: this.sources.wasmModule,
      cancelFlag: this.cancelFlag,
    });
  }

  // Execute has passed: the windows open and the worker runs the sheet's panel.
  // `paramFile` ({ name, bytes }) is the file the panel was read from, for the report.
  start(state, paramFile) {
    this.running = true;
    this.shown = true;
    this.result = null;
    this.download.hidden = true;
    this.reportButton.hidden = true;
    for (const o of this.outputs.values()) {
      o.value = "";
      o.classList.remove("searching");
      ZMBR.SheetView.offerWholeText(o);
    }
    this.button.textContent = "Command";
    for (const graph of this.graphs) {
      graph.curve.clear();
      graph.xScale.value = graph.yScale.value = "";
    }
    if (this.cancelFlag) Atomics.store(this.cancelFlag, 0, 0);
    this.startedAt = performance.now();
    this.worker.postMessage({
      type: "run",
      state,
      fields: this.fieldList,
      paramFile,
      epoch: ZMBR.fixedEpoch,
    });
  }

  show(snapshot) {
    if (!this.shown) return;
    this.fieldList.forEach(([field, element], k) => {
      const o = this.outputs.get(`${field}:${element}`);
      if (o.value !== snapshot.texts[k]) o.value = snapshot.texts[k];
    });
    snapshot.searching.forEach((on, e) =>
      this.outputs.get(`rowStatus:${e}`).classList.toggle("searching", on),
    );
    this.button.textContent = snapshot.button;
    snapshot.graphs.forEach((g, k) => {
      const graph = this.graphs[k];
      graph.curve.update(g.xLim, g.yLim, g.from, g.coordinates);
      graph.xScale.value = g.xText;
      graph.yScale.value = g.yText;
    });
  }

  receive(message) {
    if (message.type === "progress") this.show(message.snapshot);
    else if (message.type === "end") this.ended(message);
    else if (message.type === "report") this.reported(message);
  }

  // The last run's report from the worker, which still holds the run: { bytes } or { box }.
  report(fonts) {
    return new Promise((resolve) => {
      this.reported = resolve;
      this.worker.postMessage({ type: "report", fonts });
    });
  }

  ended(message) {
    this.running = false;
    this.seconds = message.seconds;
    this.endedAt = performance.now();
    this.result = message.result;
    this.show(message.snapshot);
    // The last values stay to be read: one wider than its field is offered whole.
    if (this.shown) for (const o of this.outputs.values()) ZMBR.SheetView.offerWholeText(o);
    if (this.result) {
      ZMBR.linkToFile(this.download, this.result.name, this.result.bytes);
      this.download.textContent = `Download ${this.result.name}`;
      this.download.hidden = !this.shown;
      this.reportButton.hidden = !this.shown;
    }
    if (this.onEnded) this.onEnded(message);
  }

  // The button, whatever its caption: a run going on stops, and the windows close.
  press() {
    if (this.running) {
      if (this.cancelFlag) {
        Atomics.store(this.cancelFlag, 0, 1);
      } else {
        this.worker.terminate();
        this.running = false;
        // The next worker loads after the windows have closed.
        setTimeout(() => this.spawn(), 0);
      }
    }
    this.shown = false;
    this.onClosed();
  }
};
