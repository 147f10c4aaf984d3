"use strict";
// Result files dropped on the page (or picked) and the page's finished runs drawn in one figure,
// laid out by the core as `zmbr --plot` lays it out: the core reads the files and lays out the
// axes, curves, marks and legend; this keeps the list of curves and paints the core's drawing,
// on the screen or into a saved PNG or SVG.

var ZMBR = self.ZMBR || (self.ZMBR = {});

ZMBR.Overlay = class Overlay {
  // The most curves the figure holds: more are hard to tell apart in one figure.
  static limit = 10;

  constructor(core) {
    this.core = core;
    this.canvas = document.getElementById("overlay-canvas");
    this.curveChoice = document.getElementById("overlay-curve");
    this.list = document.getElementById("overlay-list");
    this.note = document.getElementById("overlay-note");
    this.entries = []; // { name, label, bytes } of each curve, in the core's order
    this.say = () => {}; // the page's spoken status
    this.panelName = () => "zmbr"; // the panel's name without its extension, for the saves
    document.getElementById("overlay-files").addEventListener("change", (event) => {
      this.add([...event.target.files]);
      event.target.value = "";
    });
    this.curveChoice.addEventListener("change", () => this.draw());
    document.getElementById("overlay-clear").addEventListener("click", () => {
      this.core.module._zmbr_plot_clear();
      this.entries = [];
      this.tell("");
      this.draw();
    });
    for (const kind of ["png", "svg"])
      document
        .getElementById(`overlay-save-${kind}`)
        .addEventListener("click", () => this.save(kind));
    this.draw();
  }

  get count() {
    return this.entries.length;
  }

  tell(text) {
    this.note.textContent = text;
    this.note.hidden = !text;
    if (text) this.say(text);
  }

  // Result files picked or dropped, each under its file's name.
  async add(files) {
    for (const file of files)
      await this.addBytes(ZMBR.bareName(file.name), new Uint8Array(await file.arrayBuffer()), "");
    this.draw();
  }

  // A finished run's result file, under the panel's comment (its file's name when blank).
  async addRun(result, comment) {
    await this.addBytes(result.name, new Uint8Array(result.bytes), comment.trim());
    this.draw();
  }

  // One file: a file with the same bytes as one drawn already is not drawn twice; past the
  // limit nothing is added. true when the file is in the figure afterwards.
  async addBytes(name, bytes, label) {
    const same = this.entries.find((e) => Overlay.sameBytes(e.bytes, bytes));
    if (same) {
      this.tell(`${name} is drawn already, as ${same.label}.`);
      return true;
    }
    if (this.entries.length >= Overlay.limit) {
      this.tell(`The figure holds ${Overlay.limit} curves at most: remove one to add ${name}.`);
      return false;
    }
    this.core.writeFile(name, bytes);
    const added = this.core.plotAdd(name, label);
    this.core.removeFile(name);
    if (!added) {
      await ZMBR.showBox(this.core.box());
      return false;
    }
    this.entries.push({ name, label: label || name, bytes });
    this.tell("");
    return true;
  }

  static sameBytes(a, b) {
    if (a.length !== b.length) return false;
    for (let k = 0; k < a.length; k++) if (a[k] !== b[k]) return false;
    return true;
  }

  remove(index) {
    const [gone] = this.entries.splice(index, 1);
    this.core.module._zmbr_plot_remove(index);
    this.draw();
    this.tell(`${gone.label} removed from the figure.`);
    // The focus stays in the list: on the next curve's button, or the previous one's.
    const buttons = this.list.querySelectorAll("button");
    const next = buttons[Math.min(index, buttons.length - 1)];
    (next || document.getElementById("overlay-files")).focus();
  }

  // The list under the figure: each curve's colour, name and its own Remove button.
  showList(figure) {
    this.list.textContent = "";
    this.entries.forEach((entry, i) => {
      const item = ZMBR.element("li");
      const swatch = ZMBR.element("span", "swatch");
      const [r, g, b] = figure.curves[i].colour;
      swatch.style.borderColor = `rgb(${r},${g},${b})`;
      if (figure.curves[i].dashed) swatch.style.borderTopStyle = "dashed";
      swatch.setAttribute("aria-hidden", "true");
      const remove = ZMBR.element("button", "inline", "Remove");
      remove.type = "button";
      remove.setAttribute("aria-label", `Remove ${entry.label} from the figure`);
      remove.addEventListener("click", () => this.remove(i));
      item.append(swatch, ZMBR.element("span", null, entry.label), " ", remove);
      this.list.append(item);
    });
    this.list.hidden = this.entries.length === 0;
  }

  // The figure as the screen shows it, saved as PANEL-figure.png or .svg.
  save(kind) {
    const { drawing } = this.figure();
    ZMBR.savePicture(
      `${this.panelName()}-figure`,
      drawing.width,
      drawing.height,
      (g) => ZMBR.paintDrawing(g, drawing),
      kind,
    );
  }

  figure() {
    return JSON.parse(
      this.core.module.UTF8ToString(
        this.core.module._zmbr_plot_figure(this.curveChoice.value === "eps" ? 1 : 0),
      ),
    );
  }

  draw() {
    const figure = this.figure();
    const { drawing } = figure;
    const ratio = 2; // sharp on any screen, and a PNG as the program writes it
    this.canvas.width = drawing.width * ratio;
    this.canvas.height = drawing.height * ratio;
    const g = this.canvas.getContext("2d");
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    ZMBR.paintDrawing(g, drawing);
    const names = figure.curves.map((c) => c.label).join(", ");
    this.canvas.setAttribute(
      "aria-label",
      names ? `${figure.title} curves of ${names}` : "No result files drawn yet",
    );
    this.showList(figure);
  }
};
