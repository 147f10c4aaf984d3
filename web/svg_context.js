"use strict";
// The part of a canvas's 2D context that the page's drawings use, written down as SVG: the
// same painting code draws on the screen and into a saved .svg, so the two cannot differ.
// Each shape carries the transform in force when it was drawn; a clip wraps what follows it
// in a group until the matching restore().

var ZMBR = self.ZMBR || (self.ZMBR = {});

ZMBR.SvgContext = class SvgContext {
  constructor(width, height) {
    this.width = width;
    this.height = height;
    this.parts = [];
    this.clips = 0;
    this.path = "";
    this.state = {
      fillStyle: "#000",
      strokeStyle: "#000",
      lineWidth: 1,
      font: "10px sans-serif",
      textAlign: "start",
      textBaseline: "alphabetic",
      dash: [],
      matrix: [1, 0, 0, 1, 0, 0],
      groups: 0,
    };
    this.stack = [];
    this.measurer = document.createElement("canvas").getContext("2d");
  }

  static escape(text) {
    return String(text).replace(
      /[&<>"]/g,
      (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c],
    );
  }

  static number(x) {
    return Number.isInteger(x) ? String(x) : x.toFixed(3).replace(/\.?0+$/, "");
  }

  // The context's drawing state, as a canvas has it.
  get fillStyle() {
    return this.state.fillStyle;
  }
  set fillStyle(v) {
    this.state.fillStyle = v;
  }
  get strokeStyle() {
    return this.state.strokeStyle;
  }
  set strokeStyle(v) {
    this.state.strokeStyle = v;
  }
  get lineWidth() {
    return this.state.lineWidth;
  }
  set lineWidth(v) {
    this.state.lineWidth = v;
  }
  get font() {
    return this.state.font;
  }
  set font(v) {
    this.state.font = v;
  }
  get textAlign() {
    return this.state.textAlign;
  }
  set textAlign(v) {
    this.state.textAlign = v;
  }
  get textBaseline() {
    return this.state.textBaseline;
  }
  set textBaseline(v) {
    this.state.textBaseline = v;
  }
  setLineDash(dash) {
    this.state.dash = [...dash];
  }

  save() {
    this.stack.push(this.state);
    this.state = { ...this.state, matrix: [...this.state.matrix], groups: 0 };
  }
  restore() {
    for (; this.state.groups > 0; this.state.groups--) this.parts.push("</g>");
    if (this.stack.length > 0) this.state = this.stack.pop();
  }

  setTransform(a, b, c, d, e, f) {
    this.state.matrix = [a, b, c, d, e, f];
  }
  transform(a2, b2, c2, d2, e2, f2) {
    const [a, b, c, d, e, f] = this.state.matrix;
    this.state.matrix = [
      a * a2 + c * b2,
      b * a2 + d * b2,
      a * c2 + c * d2,
      b * c2 + d * d2,
      a * e2 + c * f2 + e,
      b * e2 + d * f2 + f,
    ];
  }
  translate(x, y) {
    this.transform(1, 0, 0, 1, x, y);
  }
  rotate(angle) {
    const cos = Math.cos(angle);
    const sin = Math.sin(angle);
    this.transform(cos, sin, -sin, cos, 0, 0);
  }

  // Paths, in the units the drawing uses; the transform goes on the element.
  beginPath() {
    this.path = "";
  }
  moveTo(x, y) {
    this.path += `M${SvgContext.number(x)} ${SvgContext.number(y)}`;
  }
  lineTo(x, y) {
    this.path += `L${SvgContext.number(x)} ${SvgContext.number(y)}`;
  }
  closePath() {
    this.path += "Z";
  }
  rect(x, y, w, h) {
    this.moveTo(x, y);
    this.lineTo(x + w, y);
    this.lineTo(x + w, y + h);
    this.lineTo(x, y + h);
    this.closePath();
  }
  // Whole circles only, which is all the drawings use: two half arcs.
  arc(x, y, r) {
    const n = SvgContext.number;
    this.moveTo(x + r, y);
    this.path += `A${n(r)} ${n(r)} 0 1 1 ${n(x - r)} ${n(y)}A${n(r)} ${n(r)} 0 1 1 ${n(x + r)} ${n(y)}Z`;
  }

  transformAttribute() {
    const m = this.state.matrix;
    const identity = m[0] === 1 && m[1] === 0 && m[2] === 0 && m[3] === 1 && !m[4] && !m[5];
    return identity ? "" : ` transform="matrix(${m.map(SvgContext.number).join(" ")})"`;
  }
  strokeAttributes() {
    const s = this.state;
    const dash = s.dash.length > 0 ? ` stroke-dasharray="${s.dash.join(" ")}"` : "";
    return `fill="none" stroke="${SvgContext.escape(s.strokeStyle)}" stroke-width="${s.lineWidth}"${dash}`;
  }
  stroke() {
    if (this.path)
      this.parts.push(
        `<path d="${this.path}" ${this.strokeAttributes()}${this.transformAttribute()}/>`,
      );
  }
  fill() {
    if (this.path)
      this.parts.push(
        `<path d="${this.path}" fill="${SvgContext.escape(this.state.fillStyle)}"${this.transformAttribute()}/>`,
      );
  }
  fillRect(x, y, w, h) {
    const kept = this.path;
    this.beginPath();
    this.rect(x, y, w, h);
    this.fill();
    this.path = kept;
  }
  strokeRect(x, y, w, h) {
    const kept = this.path;
    this.beginPath();
    this.rect(x, y, w, h);
    this.stroke();
    this.path = kept;
  }
  clip() {
    const id = `clip${++this.clips}`;
    this.parts.push(
      `<clipPath id="${id}"><path d="${this.path}"${this.transformAttribute()}/></clipPath>`,
      `<g clip-path="url(#${id})">`,
    );
    this.state.groups++;
  }

  measureText(text) {
    this.measurer.font = this.state.font;
    return this.measurer.measureText(text);
  }
  fillText(text, x, y) {
    const s = this.state;
    const anchor = { center: "middle", right: "end", end: "end" }[s.textAlign] || "start";
    const baseline =
      { top: "hanging", middle: "central", bottom: "text-after-edge" }[s.textBaseline] || "auto";
    this.parts.push(
      `<text x="${SvgContext.number(x)}" y="${SvgContext.number(y)}" fill="${SvgContext.escape(s.fillStyle)}"` +
        ` style="font: ${SvgContext.escape(s.font)}" text-anchor="${anchor}"` +
        ` dominant-baseline="${baseline}"${this.transformAttribute()}>${SvgContext.escape(text)}</text>`,
    );
  }

  // The drawing as a whole SVG file.
  text() {
    while (this.stack.length > 0) this.restore();
    this.restore();
    return (
      `<?xml version="1.0" encoding="UTF-8"?>\n` +
      `<svg xmlns="http://www.w3.org/2000/svg" width="${this.width}" height="${this.height}"` +
      ` viewBox="0 0 ${this.width} ${this.height}">\n${this.parts.join("\n")}\n</svg>\n`
    );
  }
};

// A drawing saved as NAME.png (painted on a canvas of twice its size, as the screen's) and as
// NAME.svg: `paint(g)` draws it in a box of `width` × `height`.
ZMBR.savePicture = (name, width, height, paint, kind) => {
  if (kind === "svg") {
    const g = new ZMBR.SvgContext(width, height);
    paint(g);
    ZMBR.offerDownload(`${name}.svg`, new Blob([g.text()], { type: "image/svg+xml" }));
    return;
  }
  const canvas = document.createElement("canvas");
  canvas.width = width * 2;
  canvas.height = height * 2;
  const g = canvas.getContext("2d");
  g.setTransform(2, 0, 0, 2, 0, 0);
  paint(g);
  canvas.toBlob((blob) => blob && ZMBR.offerDownload(`${name}.png`, blob));
};
