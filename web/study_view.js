"use strict";
// A parameter study on the page: the core plans it from the panel the window shows, a pool of
// workers (one for each of the browser's cores) runs the variants, and the core makes
// summary.csv, the chart or map and the report from their ends, as `zmbr --study` makes them.
// This view only asks, shows the progress and paints.

var ZMBR = self.ZMBR || (self.ZMBR = {});

// The cells of a CSV table's lines (RFC 4180, as the core writes summary.csv).
ZMBR.csvRows = (text) => {
  const rows = [];
  let row = [];
  let cell = "";
  let quoted = false;
  for (let i = 0; i < text.length; i++) {
    const c = text[i];
    if (quoted) {
      if (c === '"' && text[i + 1] === '"') cell += text[++i];
      else if (c === '"') quoted = false;
      else cell += c;
    } else if (c === '"') quoted = true;
    else if (c === ",") {
      row.push(cell);
      cell = "";
    } else if (c === "\n") {
      row.push(cell.replace(/\r$/, ""));
      rows.push(row);
      row = [];
      cell = "";
    } else cell += c;
  }
  return rows;
};

ZMBR.StudyView = class StudyView {
  // The figure's refresh interval of the progress, as the run windows have it.
  static refreshMs = 15;

  constructor(core, sources, page) {
    this.core = core;
    this.sources = sources;
    this.page = page;
    this.workers = [];
    this.element = (id) => document.getElementById(id);
    const list = this.element("study-names");
    for (const name of core.studyNames()) list.append(new Option(name));
    this.element("study-form").addEventListener("submit", (event) => {
      event.preventDefault();
      this.start();
    });
    this.element("study-cancel").addEventListener("click", () => this.cancel());
    this.canvas = this.element("study-canvas");
    this.canvas.addEventListener("click", (event) => this.pick(event));
    this.element("study-open").addEventListener("click", () =>
      this.open(Number(this.element("study-variant").value)),
    );
    this.element("study-save-summary").addEventListener("click", () => this.saveSummary());
    this.element("study-save-report").addEventListener("click", () => this.saveReport());
    for (const kind of ["png", "svg"])
      this.element(`study-save-${kind}`).addEventListener("click", () => this.savePicture(kind));
    this.spawnSoon();
  }

  // The ranges as --vary takes them, one a line; a line without a name is left out.
  varyLines() {
    const lines = [];
    for (let i = 1; i <= 3; i++) {
      const name = this.element(`study-name-${i}`).value.trim();
      const values = this.element(`study-values-${i}`).value.trim();
      if (name || values) lines.push(`${name}=${values}`);
    }
    return lines.join("\n");
  }

  async start() {
    if (this.running) return;
    const total = this.core.studyPlan(this.varyLines());
    if (total === 0) {
      await ZMBR.showBox(this.core.box());
      return;
    }
    const state = this.core.sheetState();
    this.file = ZMBR.bareName(state.paramFileName || "panel.mbr");
    this.stem = this.file.replace(/\.[^.]*$/, "");
    // The report names the panel's file with its digest only where the panel is that file's.
    this.panelFile =
      !this.page.edited && this.page.panelFile && this.page.panelFile.name === this.file
        ? this.page.panelFile
        : null;
    this.showNotes(this.core.studyNotes());
    this.element("study-result").hidden = true;
    this.total = total;
    this.done = 0;
    this.next = 0;
    this.started = performance.now();
    this.shownAt = 0;
    this.running = true;
    this.element("study-run").disabled = true;
    this.element("study-cancel").disabled = false;
    this.element("study-progress-line").hidden = false;
    this.showProgress(true);
    this.page.say(`The study of ${total} variants has started.`);
    this.spawnPool();
    for (const worker of this.workers) worker.waiting = 0;
    // Work waits at each worker, so that none idles while its next variants are on the way.
    for (const worker of this.workers) for (let n = 0; n < 2; n++) this.send(worker);
  }

  // The pool is made while the page is idle, so that a study starts at once.
  spawnSoon() {
    const spawn = () => this.running || this.spawnPool();
    if (self.requestIdleCallback) requestIdleCallback(spawn, { timeout: 2000 });
    else setTimeout(spawn, 500);
  }

  spawnPool() {
    const size = Math.max(1, Math.min(navigator.hardwareConcurrency || 2, 16));
    if (this.workers.length === size) return;
    const code = [this.sources.coreScript, this.sources.apiScript, this.sources.workerScript].join(
      "\n;\n",
    );
    const url = URL.createObjectURL(new Blob([code], { type: "text/javascript" }));
    while (this.workers.length < size) {
      const worker = new Worker(url);
      worker.onmessage = (event) => this.receive(worker, event.data);
      worker.postMessage({ type: "init", wasmModule: this.sources.wasmModule, cancelFlag: null });
      this.workers.push(worker);
    }
    URL.revokeObjectURL(url);
  }

  // The next few variants to a worker: a few at a time, so that short runs do not wait on
  // messages, and few enough that every worker has work to the end.
  send(worker) {
    const left = this.total - this.next;
    if (left <= 0) return;
    const count = Math.max(1, Math.min(8, Math.floor(left / (4 * this.workers.length))));
    const jobs = [];
    for (let n = 0; n < count; n++) jobs.push(this.core.studyVariant(this.next++));
    worker.postMessage(
      { type: "variants", jobs },
      jobs.map((job) => job.bytes.buffer),
    );
    worker.waiting = (worker.waiting || 0) + count;
  }

  receive(worker, message) {
    if (message.type !== "variant" || !this.running) return;
    if (!this.core.studyAdd(message.k, message.record)) {
      this.cancel();
      ZMBR.showBox({
        title: "Study",
        text: `The end of variant ${message.k + 1} did not arrive whole.`,
      });
      return;
    }
    this.done++;
    // Another few once the worker has less than a message's worth left.
    if (--worker.waiting < 2) this.send(worker);
    if (this.done === this.total) this.finish();
    else this.showProgress(false);
  }

  // done/total and the time left, at most every refresh interval.
  showProgress(now) {
    const at = performance.now();
    if (!now && at - this.shownAt < StudyView.refreshMs) return;
    this.shownAt = at;
    const bar = this.element("study-progress");
    bar.max = this.total;
    bar.value = this.done;
    let text = `${this.done} of ${this.total} variants`;
    if (this.done > 0 && this.done < this.total) {
      const left = ((at - this.started) / this.done) * (this.total - this.done);
      text += `, about ${Math.max(1, Math.round(left / 1000))} s left`;
    }
    this.element("study-progress-text").textContent = text;
  }

  // Cancel stops the workers at once; nothing of the study is offered.
  cancel() {
    if (!this.running) return;
    for (const worker of this.workers) worker.terminate();
    this.workers = [];
    this.running = false;
    this.spawnSoon();
    this.element("study-run").disabled = false;
    this.element("study-cancel").disabled = true;
    const text = `Cancelled after ${this.done} of ${this.total} variants; nothing was kept.`;
    this.element("study-progress-text").textContent = text;
    this.page.say(text);
    this.element("study-run").focus();
  }

  finish() {
    this.running = false;
    this.seconds = (performance.now() - this.started) / 1000;
    this.showProgress(true);
    this.element("study-run").disabled = false;
    this.element("study-cancel").disabled = true;
    this.summary = this.core.studySummary();
    this.draw();
    this.listVariants();
    this.element("study-result").hidden = false;
    document.documentElement.dataset.studyMs = (this.seconds * 1000).toFixed(0);
    this.page.say(`The study ended: ${this.total} variants in ${this.seconds.toFixed(1)} s.`);
  }

  showNotes(notes) {
    const list = this.element("study-notes");
    list.textContent = "";
    for (const note of notes) list.append(ZMBR.element("li", null, note));
    list.hidden = notes.length === 0;
  }

  draw() {
    this.picture = this.core.studyPicture();
    const { width, height } = this.picture.drawing;
    const ratio = 2;
    this.canvas.width = width * ratio;
    this.canvas.height = height * ratio;
    const g = this.canvas.getContext("2d");
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    ZMBR.paintDrawing(g, this.picture.drawing);
    this.canvas.setAttribute(
      "aria-label",
      `${this.picture.title}: ${this.total} variants; the list below opens each one.`,
    );
  }

  // Every variant in the list, with its values, τxy max and end, from summary.csv.
  listVariants() {
    const rows = ZMBR.csvRows(this.summary);
    const header = rows[0];
    const select = this.element("study-variant");
    select.textContent = "";
    rows.slice(1).forEach((cells, k) => {
      const values = header
        .slice(9)
        .map((name, i) => `${name} = ${cells[9 + i]}`)
        .join(", ");
      const tau = cells[5] ? `τxy max ${cells[5]} MPa` : "no step";
      select.append(new Option(`${k + 1}: ${values}; ${tau}, ${cells[3]}`, String(k)));
    });
  }

  // The variant under the pointer: the spot whose centre is nearest, of those it falls in.
  pick(event) {
    if (!this.picture) return;
    const box = this.canvas.getBoundingClientRect();
    const { width, height } = this.picture.drawing;
    const x = ((event.clientX - box.left) / box.width) * width;
    const y = ((event.clientY - box.top) / box.height) * height;
    let best = null;
    let nearest = Infinity;
    for (const {
      variant,
      box: [left, top, w, h],
    } of this.picture.spots) {
      if (x < left || x > left + w || y < top || y > top + h) continue;
      const d = Math.hypot(x - left - w / 2, y - top - h / 2);
      if (d < nearest) [best, nearest] = [variant, d];
    }
    if (best !== null) this.open(best);
  }

  open(k) {
    if (!this.core.studyOpen(k)) {
      ZMBR.showBox(this.core.box());
      return;
    }
    this.element("study-variant").value = String(k);
    this.page.variantOpened(this.core.fileName(0));
  }

  saveSummary() {
    ZMBR.offerDownload("summary.csv", new TextEncoder().encode(this.summary));
    this.page.say("summary.csv saved.");
  }

  savePicture(kind) {
    const { drawing } = this.picture;
    ZMBR.savePicture(
      `${this.stem}-study`,
      drawing.width,
      drawing.height,
      (g) => ZMBR.paintDrawing(g, drawing),
      kind,
    );
  }

  // The study's report, as `zmbr --study --report` writes it, downloaded as STEM-study.pdf.
  async saveReport() {
    const m = this.core.module;
    this.page.say("Making the study's report…");
    try {
      this.page.reportFonts ??= ZMBR.fetchReportFonts();
      for (const [path, bytes] of await this.page.reportFonts) {
        if (m.FS.analyzePath(path).exists) continue;
        m.FS.mkdirTree(path.replace(/\/[^/]*$/, ""));
        m.FS.writeFile(path, bytes);
      }
    } catch (error) {
      this.page.reportFonts = null;
      await ZMBR.showBox({ title: "Report", text: error.message });
      return;
    }
    if (this.panelFile) this.core.writeFile(this.panelFile.name, this.panelFile.bytes);
    const path = "/study-report.pdf";
    this.core.fixDate(ZMBR.fixedEpoch ?? -1);
    const made = this.core.studyReport(path, `${this.stem}-study/summary.csv`);
    if (this.panelFile) this.core.removeFile(this.panelFile.name);
    if (!made) {
      await ZMBR.showBox(this.core.box());
      return;
    }
    const name = `${this.stem}-study.pdf`;
    ZMBR.offerDownload(name, this.core.readFile(path));
    this.core.removeFile(path);
    this.page.say(`${name} saved.`);
  }
};
