"use strict";
// The page: loads the core, shows the parameter window, and wires Open, Save, Execute and Exit,
// the dropping of files, the message boxes and the figure of result files.

var ZMBR = self.ZMBR || (self.ZMBR = {});

// A script's text, from the page itself (the one-file page) or from the site.
ZMBR.scriptText = async (id) => {
  const script = document.getElementById(id);
  if (script.src) return (await fetch(script.src)).text();
  return script.textContent;
};

// The WebAssembly compiled once, for the page and for the worker, and the scripts the worker
// is made of.
ZMBR.loadSources = async () => {
  const inline = document.getElementById("zmbr-wasm");
  let wasm;
  if (inline) {
    const text = atob(inline.textContent.trim());
    const bytes = new Uint8Array(text.length);
    for (let k = 0; k < text.length; k++) bytes[k] = text.charCodeAt(k);
    wasm = WebAssembly.compile(bytes);
  } else {
    wasm = WebAssembly.compileStreaming(fetch("zmbr-core.wasm"));
  }
  const [wasmModule, coreScript, apiScript, workerScript] = await Promise.all([
    wasm,
    ...["zmbr-core-js", "core-api-js", "run-worker-js"].map(ZMBR.scriptText),
  ]);
  return { wasmModule, coreScript, apiScript, workerScript };
};

// The module's instance from the compiled WebAssembly.
ZMBR.instantiate = (wasmModule) => ({
  instantiateWasm(imports, receive) {
    WebAssembly.instantiate(wasmModule, imports).then((instance) => receive(instance, wasmModule));
    return {};
  },
});

// A message box: its title, its text, an OK button; resolves when it closes.
ZMBR.showBox = (box) => {
  const dialog = document.getElementById("box");
  document.getElementById("box-title").textContent = box.title || "ZMBR";
  document.getElementById("box-text").textContent = box.text;
  const returnTo = document.activeElement;
  dialog.showModal();
  return new Promise((resolve) => {
    dialog.addEventListener(
      "close",
      () => {
        if (returnTo && returnTo.focus) returnTo.focus();
        resolve();
      },
      { once: true },
    );
  });
};

// Makes the link download the bytes as the named file; the bytes it offered before are let go.
ZMBR.linkToFile = (a, name, bytes) => {
  if (a.href.startsWith("blob:")) URL.revokeObjectURL(a.href);
  a.href = URL.createObjectURL(new Blob([bytes], { type: "application/octet-stream" }));
  a.download = name;
  return a;
};

ZMBR.offerDownload = (name, bytes) => {
  const a = ZMBR.linkToFile(ZMBR.element("a"), name, bytes);
  document.body.append(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 60000);
};

// A file's name as the memory file system holds it: no folders.
ZMBR.bareName = (name) => name.replace(/^.*[\\/]/, "") || "panel.mbr";

// The report's fonts, fetched from the site's fonts/ folder when the first report is made, as
// [place in the core's file system, bytes]. The one-file page has none: it says so.
ZMBR.fetchReportFonts = async () => {
  if (document.getElementById("zmbr-wasm"))
    throw new Error(
      "A report needs the report's fonts, which the served page loads (scripts/web serves " +
        "it); the one-file page zmbr.html holds none, to stay small.",
    );
  const fonts = [];
  for (const path of ZMBR.reportFonts) {
    const response = await fetch(`fonts/${path.replace(/^.*\//, "")}`);
    // Without the last face only characters no other face has print as empty boxes.
    if (!response.ok && path === ZMBR.reportFonts.at(-1)) break;
    if (!response.ok) throw new Error(`The report's font ${path} cannot be loaded.`);
    fonts.push([path, new Uint8Array(await response.arrayBuffer())]);
  }
  return fonts;
};

ZMBR.Page = class Page {
  static keptKey = "zmbr.editedPanel";

  constructor(core, sources) {
    this.core = core;
    this.form1 = document.getElementById("form1");
    this.runSection = document.getElementById("run");
    this.status = document.getElementById("status");
    this.sheet = new ZMBR.SheetView(core, document.getElementById("form1-client"), {
      open: () => document.getElementById("open-file").click(),
      save: () => this.save(),
      execute: () => this.execute(),
      exit: () => this.exit(),
    });
    this.run = new ZMBR.RunView(sources, () => this.closeRun());
    this.run.onEnded = (message) => this.runEnded(message);
    this.run.reportButton.addEventListener("click", () => this.saveReport());
    this.panelFile = null; // { name, bytes } of the file the panel was opened from or saved as
    this.overlay = new ZMBR.Overlay(core);
    this.overlay.say = (text) => this.say(text);
    this.overlay.panelName = this.run.panelName = () => this.panelName();
    this.study = new ZMBR.StudyView(core, sources, this);
    document.getElementById("open-file").addEventListener("change", (event) => {
      const file = event.target.files[0];
      event.target.value = "";
      if (file) this.open(file);
    });
    document.getElementById("start-again").addEventListener("click", () => location.reload());
    this.acceptDrops();
    this.sheet.refresh();
    this.keepEditedPanel();
  }

  // The panel's name without its extension, which the saved pictures start with.
  panelName() {
    const state = this.core.sheetState();
    const name = ZMBR.bareName(state.paramFileName || state.outputFileName || "zmbr");
    return name.replace(/\.[^.]*$/, "") || "zmbr";
  }

  // The panel as the edits change it: its texts and the check box.
  panelText() {
    const state = this.core.sheetState();
    return JSON.stringify([state.texts, state.option]);
  }

  // An edited panel is kept in the browser's storage at every edit, offered back when the page
  // is loaded again (after a reload, a closed tab or Exit), and leaving with edits not saved
  // asks first.
  keepEditedPanel() {
    this.cleanText = this.panelText();
    let kept = null;
    try {
      kept = JSON.parse(localStorage.getItem(Page.keptKey));
    } catch (e) {
      kept = null; // no storage, or nothing readable in it
    }
    if (kept && kept.state) this.offerKept(kept);
    const client = document.getElementById("form1-client");
    for (const type of ["input", "focusout", "click"])
      client.addEventListener(type, () => setTimeout(() => this.keepEdits(), 0));
    addEventListener("beforeunload", (event) => {
      if (!this.edited || this.exited) return;
      event.preventDefault();
      event.returnValue = "";
    });
  }

  keepEdits() {
    this.edited = this.panelText() !== this.cleanText;
    try {
      if (!this.edited) localStorage.removeItem(Page.keptKey);
      else
        localStorage.setItem(
          Page.keptKey,
          JSON.stringify({ state: this.core.sheetState(), at: new Date().toISOString() }),
        );
    } catch (e) {
      // the browser keeps nothing for this page
    }
  }

  // The panel now shown is what its file holds (opened, saved, or the default one).
  markSaved() {
    this.cleanText = this.panelText();
    this.keepEdits();
  }

  offerKept(kept) {
    const offer = document.getElementById("kept-panel");
    const comment = kept.state.texts.find(([id]) => this.core.fields[id].name === "comment");
    const at = new Date(kept.at).toLocaleString();
    document.getElementById("kept-text").textContent =
      `A panel edited on ${at} and not saved was kept in this browser ("${comment ? comment[2] : ""}").`;
    offer.hidden = false;
    this.say(document.getElementById("kept-text").textContent);
    const close = () => {
      offer.hidden = true;
      document.getElementById("Text1").focus();
    };
    document.getElementById("kept-restore").onclick = () => {
      this.core.setSheetState(kept.state);
      this.panelFile = null;
      this.sheet.refresh();
      this.cleanText = "";
      this.keepEdits();
      this.say("The kept panel is back.");
      close();
    };
    document.getElementById("kept-discard").onclick = () => {
      try {
        localStorage.removeItem(Page.keptKey);
      } catch (e) {
        // nothing was kept after all
      }
      close();
    };
  }

  async open(file) {
    const name = ZMBR.bareName(file.name);
    const bytes = new Uint8Array(await file.arrayBuffer());
    this.core.removeFile(name);
    this.core.writeFile(name, bytes);
    const opened = this.core.open(name);
    // The core names a file of another kind; a result file has its place on this page.
    const resultFile = !opened && this.core.isResultFile(name);
    this.core.removeFile(name);
    if (opened) this.panelFile = { name, bytes };
    if (opened) this.markSaved();
    this.sheet.refresh();
    if (resultFile)
      await ZMBR.showBox({
        title: "Error",
        text: "This is a result file: drop it on the figure below.",
      });
    else if (!opened) await ZMBR.showBox(this.core.box());
    else this.say(`${name} opened.`);
  }

  // A study's variant is in the window: an edited panel, since no file holds it here.
  variantOpened(name) {
    this.panelFile = null;
    this.sheet.refresh();
    this.cleanText = "";
    this.keepEdits();
    this.say(`${name} is in the parameter window.`);
  }

  save() {
    const dialog = document.getElementById("save-box");
    const input = document.getElementById("save-name");
    const known = this.core.fileName(0) || this.core.fileName(1);
    input.value = known && !/\.TGC$/i.test(known) ? known : "panel.mbr";
    dialog.returnValue = "";
    dialog.showModal();
    input.select();
    dialog.addEventListener(
      "close",
      async () => {
        if (dialog.returnValue !== "save" || !input.value.trim()) return;
        // A name without an extension is a parameter file's: its result is then NAME.TGC.
        let name = ZMBR.bareName(input.value.trim());
        if (!/\.[^.]+$/.test(name)) name += ".mbr";
        this.core.removeFile(name);
        if (!this.core.save(name)) {
          await ZMBR.showBox(this.core.box());
          return;
        }
        this.core.setFileName(0, name);
        this.panelFile = { name, bytes: this.core.readFile(name) };
        ZMBR.offerDownload(name, this.panelFile.bytes);
        this.markSaved();
        this.core.removeFile(name);
        this.say(`${name} saved.`);
      },
      { once: true },
    );
  }

  execute() {
    if (!this.core.prepareExecute()) {
      ZMBR.showBox(this.core.box());
      return;
    }
    // The last run's file is no longer the last run's: a Cancel may leave none.
    this.hideResultLink();
    this.form1.hidden = true;
    this.runSection.hidden = false;
    const state = this.core.sheetState();
    const comment = state.texts.find(([id]) => this.core.fields[id].name === "comment");
    this.runComment = comment ? comment[2] : "";
    const file = this.panelFile && this.panelFile.name === state.paramFileName;
    this.run.start(state, file ? this.panelFile : null);
    this.run.button.focus();
    this.say("The run has started.");
  }

  runEnded(message) {
    if (message.result) {
      this.showResultLink(message.result);
      this.overlay.addRun(message.result, this.runComment);
    }
    if (!this.run.shown) return;
    const box = message.refused || message.box;
    this.say(`The run ended after ${message.steps || 0} steps.`);
    if (box && box.text) ZMBR.showBox(box);
  }

  hideResultLink() {
    const holder = document.getElementById("result-link");
    const old = holder.querySelector("a");
    if (old) URL.revokeObjectURL(old.href);
    holder.textContent = "";
    holder.hidden = true;
  }

  showResultLink(result) {
    const holder = document.getElementById("result-link");
    this.hideResultLink();
    holder.textContent = "Result file of the last run: ";
    holder.append(ZMBR.linkToFile(ZMBR.element("a", null, result.name), result.name, result.bytes));
    const report = ZMBR.element("button", "inline", "Save report...");
    report.type = "button";
    report.id = "save-report";
    report.addEventListener("click", () => this.saveReport());
    holder.append(" ", report);
    holder.hidden = false;
  }

  // The last run's report, as `zmbr --report` writes it, downloaded as NAME.pdf.
  async saveReport() {
    const result = this.run.result;
    if (!result || this.run.running) return;
    const started = performance.now();
    this.say("Making the report…");
    try {
      this.reportFonts ??= ZMBR.fetchReportFonts();
      const fonts = await this.reportFonts;
      const made = await this.run.report(fonts);
      if (!made.bytes) {
        await ZMBR.showBox(made.box);
        return;
      }
      const panel = this.core.fileName(0);
      const name = (panel || result.name).replace(/\.[^.]*$/, "") + ".pdf";
      ZMBR.offerDownload(name, made.bytes);
      this.reportMs = performance.now() - started;
      this.say(`${name} saved.`);
    } catch (error) {
      this.reportFonts = null;
      await ZMBR.showBox({ title: "Report", text: error.message });
    }
  }

  closeRun() {
    this.runSection.hidden = true;
    this.form1.hidden = false;
    this.sheet.refresh();
    document.getElementById("Command1").focus();
  }

  exit() {
    this.exited = true;
    this.form1.hidden = true;
    document.getElementById("overlay").hidden = true;
    document.getElementById("study").hidden = true;
    document.getElementById("ended").hidden = false;
    document.getElementById("start-again").focus();
  }

  say(text) {
    this.status.textContent = text;
  }

  // A parameter file dropped on the page is opened (while the parameter window shows);
  // result files go to the figure.
  acceptDrops() {
    document.addEventListener("dragover", (event) => {
      if (event.dataTransfer && [...event.dataTransfer.types].includes("Files")) {
        event.preventDefault();
        event.dataTransfer.dropEffect = "copy";
      }
    });
    document.addEventListener("drop", (event) => {
      if (!event.dataTransfer || event.dataTransfer.files.length === 0) return;
      event.preventDefault();
      const files = [...event.dataTransfer.files];
      const results = files.filter((f) => /\.tgc$/i.test(f.name));
      if (results.length > 0) this.overlay.add(results);
      const panel = files.find((f) => !/\.tgc$/i.test(f.name));
      if (panel && !this.form1.hidden) this.open(panel);
    });
  }
};

// The size of a twip on the screen: the windows grow with the browser's window.
ZMBR.fitToWindow = () => {
  const scale = Math.max(1, Math.min((innerWidth - 40) / 600, (innerHeight - 120) / 440, 2.5));
  document.documentElement.style.setProperty("--twip", `${scale / 15}px`);
};

(async () => {
  ZMBR.fitToWindow();
  addEventListener("resize", ZMBR.fitToWindow);
  try {
    const sources = await ZMBR.loadSources();
    const module = await createZmbrCore({
      ...ZMBR.instantiate(sources.wasmModule),
      measureText: ZMBR.measureFace, // the study's picture is laid out in the page's faces
    });
    module.FS.mkdir("/files");
    module.FS.chdir("/files");
    const core = ZMBR.bindCore(module);
    core.load();
    ZMBR.page = new ZMBR.Page(core, sources);
    document.getElementById("loading").hidden = true;
    document.getElementById("form1").hidden = false;
    document.getElementById("overlay").hidden = false;
    document.getElementById("study").hidden = false;
    ZMBR.page.sheet.refresh(); // the fields' widths are known once they show
    document.documentElement.dataset.readyMs = performance.now().toFixed(0);
    document.documentElement.dataset.ready = "true";
  } catch (error) {
    document.getElementById("loading").textContent = `ZMBR could not start: ${error}`;
    throw error;
  }
})();
