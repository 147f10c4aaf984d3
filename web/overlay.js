"use strict";
// Result files dropped on the page (or picked) and the page's finished runs drawn in one figure,
// laid out as the program's --plot figures are: the core reads the files and works out the
// axes, ticks and marks; this only paints them, on the screen or into a saved PNG or SVG.

var ZMBR = self.ZMBR || (self.ZMBR = {});

ZMBR.Overlay = class Overlay {
  static width = 800;
  static height = 520;
  static gap = 10;
  static tick = 5;
  static mark = 4.5;
  static sample = 28;
  // The first curve in the graph windows' black, then colours that stay apart in print; past
  // ten curves the lines are dashed.
  static colours = [
    "#000000",
    "#d62728",
    "#1f77b4",
    "#2ca02c",
    "#ff7f0e",
    "#9467bd",
    "#8c564b",
    "#e377c2",
    "#7f7f7f",
    "#17becf",
  ];
  static dashes = [[], [6, 3], [1, 3], [6, 3, 1, 3]];
  static font = '13px "Liberation Sans", Arial, sans-serif';

  // The most curves the figure holds: as many as it has colours for solid lines.
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
  showList() {
    this.list.textContent = "";
    this.entries.forEach((entry, i) => {
      const item = ZMBR.element("li");
      const swatch = ZMBR.element("span", "swatch");
      swatch.style.borderColor = Overlay.colours[i % 10];
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
    const figure = this.figure();
    ZMBR.savePicture(
      `${this.panelName()}-figure`,
      Overlay.width,
      Overlay.height,
      (g) => this.paint(g, figure),
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
    const ratio = 2; // sharp on any screen, and a PNG as the program writes it
    this.canvas.width = Overlay.width * ratio;
    this.canvas.height = Overlay.height * ratio;
    const g = this.canvas.getContext("2d");
    g.setTransform(ratio, 0, 0, ratio, 0, 0);
    this.paint(g, figure);
    const names = figure.curves.map((c) => c.label).join(", ");
    this.canvas.setAttribute(
      "aria-label",
      names ? `${figure.title} curves of ${names}` : "No result files drawn yet",
    );
    this.showList();
  }

  // The core's figure painted on `g` (a canvas's context, or the SVG writer's), in a box of
  // width × height.
  paint(g, figure) {
    const O = Overlay;
    g.fillStyle = "#fff";
    g.fillRect(0, 0, O.width, O.height);
    g.font = O.font;
    const line = 15;
    const yLabels = Math.max(...figure.y.ticks.map((t) => g.measureText(t.label).width), 0);
    const left = O.gap + line + O.gap + yLabels + O.tick + 4;
    const top = O.gap + line / 2 + line + O.gap;
    const bottom = O.height - (O.gap + line + O.gap / 2 + line + O.tick + 2);
    let legend = g.measureText("concrete NG").width + O.sample + O.gap;
    for (const c of figure.curves)
      legend = Math.max(legend, O.sample + O.gap + g.measureText(c.label).width);
    const legendLeft = O.width - O.gap - legend;
    const plot = { left, top, right: legendLeft - 2 * O.gap, bottom };
    const [yBottom, yTop] = figure.y.negativeUp
      ? [figure.y.high, figure.y.low]
      : [figure.y.low, figure.y.high];
    const map = (x, y) => [
      plot.left + ((x - figure.x.low) / (figure.x.high - figure.x.low)) * (plot.right - plot.left),
      plot.top + ((yTop - y) / (yTop - yBottom)) * (plot.bottom - plot.top),
    ];

    // Grid, ticks, labels, frame and titles.
    g.lineWidth = 1;
    g.textBaseline = "top";
    g.textAlign = "center";
    for (const t of figure.x.ticks) {
      const [x] = map(t.value, 0);
      this.line(g, "#dedede", x, plot.top, x, plot.bottom);
      this.line(g, "#000", x, plot.bottom, x, plot.bottom + O.tick);
      g.fillStyle = "#000";
      g.fillText(t.label, x, plot.bottom + O.tick + 2);
    }
    g.textAlign = "right";
    g.textBaseline = "middle";
    for (const t of figure.y.ticks) {
      const [, y] = map(0, t.value);
      this.line(g, "#dedede", plot.left, y, plot.right, y);
      this.line(g, "#000", plot.left - O.tick, y, plot.left, y);
      g.fillText(t.label, plot.left - O.tick - 4, y);
    }
    g.strokeStyle = "#000";
    g.strokeRect(plot.left, plot.top, plot.right - plot.left, plot.bottom - plot.top);
    g.textAlign = "center";
    g.textBaseline = "bottom";
    g.fillText(figure.x.title, (plot.left + plot.right) / 2, O.height - O.gap);
    g.save();
    g.translate(O.gap, (plot.top + plot.bottom) / 2);
    g.rotate(-Math.PI / 2);
    g.textBaseline = "top";
    g.fillText(figure.y.title, 0, 0);
    g.restore();
    g.font = `bold ${O.font}`;
    g.textBaseline = "top";
    g.fillText(figure.title, (plot.left + plot.right) / 2, O.gap);
    g.font = O.font;

    // The curves, each from the origin, with the mark of how its run ended.
    g.save();
    g.beginPath();
    g.rect(
      plot.left - O.mark - 2,
      plot.top - O.mark - 2,
      plot.right - plot.left + 2 * O.mark + 4,
      plot.bottom - plot.top + 2 * O.mark + 4,
    );
    g.clip();
    figure.curves.forEach((c, i) => {
      this.pen(g, i);
      g.beginPath();
      for (let k = 0; k + 1 < c.points.length; k += 2)
        g[k === 0 ? "moveTo" : "lineTo"](...map(c.points[k], c.points[k + 1]));
      g.stroke();
      const n = c.points.length;
      if (c.mark)
        this.drawMark(g, map(c.points[n - 2], c.points[n - 1]), c.mark, Overlay.colours[i % 10]);
    });
    g.restore();

    // The legend: the curves' names, then the marks in use.
    let y = plot.top;
    const step = line + 3;
    g.textAlign = "left";
    g.textBaseline = "middle";
    figure.curves.forEach((c, i) => {
      this.pen(g, i);
      g.beginPath();
      g.moveTo(legendLeft, y + step / 2 - 1);
      g.lineTo(legendLeft + O.sample, y + step / 2 - 1);
      g.stroke();
      g.setLineDash([]);
      g.fillStyle = "#000";
      g.fillText(c.label, legendLeft + O.sample + O.gap, y + step / 2);
      y += step;
    });
    y += step / 2;
    for (const mark of ["concrete NG", "rupture"]) {
      if (!figure.curves.some((c) => c.mark === mark)) continue;
      this.drawMark(g, [legendLeft + O.sample / 2, y + step / 2 - 1], mark, "#000");
      g.fillStyle = "#000";
      g.fillText(mark, legendLeft + O.sample + O.gap, y + step / 2);
      y += step;
    }
  }

  line(g, colour, x1, y1, x2, y2) {
    g.strokeStyle = colour;
    g.beginPath();
    g.moveTo(x1, y1);
    g.lineTo(x2, y2);
    g.stroke();
  }

  pen(g, i) {
    g.strokeStyle = Overlay.colours[i % 10];
    g.setLineDash(Overlay.dashes[Math.floor(i / 10) % 4]);
    g.lineWidth = 1;
  }

  // Hollow marks, so that the line through them still shows: a circle for crushed concrete,
  // a triangle for a rupture.
  drawMark(g, [x, y], mark, colour) {
    const r = Overlay.mark;
    g.save();
    g.setLineDash([]);
    g.lineWidth = 1.2;
    g.strokeStyle = colour;
    g.fillStyle = "#fff";
    g.beginPath();
    if (mark === "concrete NG") {
      g.arc(x, y, r, 0, 2 * Math.PI);
    } else {
      g.moveTo(x, y - 1.2 * r);
      g.lineTo(x + 1.1 * r, y + 0.8 * r);
      g.lineTo(x - 1.1 * r, y + 0.8 * r);
      g.closePath();
    }
    g.fill();
    g.stroke();
    g.restore();
  }
};
