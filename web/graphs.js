"use strict";
// The drawings of the page: the two graph windows' curves, the parameter window's sketches,
// and the figure of result files laid out as the program's --plot figures are.

var ZMBR = self.ZMBR || (self.ZMBR = {});

// A canvas sized to its box on the screen, in device pixels, drawn in CSS pixels.
ZMBR.fitCanvas = (canvas) => {
  const ratio = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * ratio));
  const height = Math.max(1, Math.round(canvas.clientHeight * ratio));
  if (canvas.width !== width || canvas.height !== height) {
    canvas.width = width;
    canvas.height = height;
  }
  const g = canvas.getContext("2d");
  g.setTransform(ratio, 0, 0, ratio, 0, 0);
  return { g, width: canvas.clientWidth, height: canvas.clientHeight };
};

// One graph window: the surface spans x from 0 to xLim and y from yLim (bottom edge) to 0
// (top edge); a value y is drawn at yLim - y. A first point, then a line to each next point,
// in black.
ZMBR.GraphCurve = class GraphCurve {
  constructor(canvas) {
    this.canvas = canvas;
    this.points = [];
    this.xLim = 1e-5;
    this.yLim = -1e-5;
  }

  map(x, y, size) {
    return [(x / this.xLim) * size.width, (1 - y / this.yLim) * size.height];
  }

  // New points from index `from` on, in the frame of the limits given; a change of the limits
  // or a `from` of 0 draws the curve anew.
  update(xLim, yLim, from, coordinates) {
    const anew = from === 0 || xLim !== this.xLim || yLim !== this.yLim;
    this.xLim = xLim;
    this.yLim = yLim;
    if (anew) this.points.length = 0;
    const first = this.points.length;
    for (let k = 0; k + 1 < coordinates.length; k += 2)
      this.points.push([coordinates[k], coordinates[k + 1]]);
    this.draw(anew ? 0 : first);
  }

  clear() {
    this.points.length = 0;
    this.draw(0);
  }

  draw(from) {
    const size = ZMBR.fitCanvas(this.canvas);
    this.paint(size.g, size, from);
  }

  // The curve on `g` (a canvas's context or the SVG writer's) in a box of the size given, from
  // point `from` on; from 0 on a white ground.
  paint(g, size, from) {
    if (from === 0) {
      g.fillStyle = "#fff";
      g.fillRect(0, 0, size.width, size.height);
    }
    if (this.points.length === 0) return;
    g.strokeStyle = "#000";
    g.fillStyle = "#000";
    g.lineWidth = 1;
    const start = Math.max(0, from - 1);
    const [x0, y0] = this.map(...this.points[start], size);
    if (from === 0) g.fillRect(x0 - 0.5, y0 - 0.5, 1, 1);
    g.beginPath();
    g.moveTo(x0, y0);
    for (let k = start + 1; k < this.points.length; k++)
      g.lineTo(...this.map(...this.points[k], size));
    g.stroke();
  }
};

// A graph window saved as a picture: the curve as the window draws it, with the window's
// titles and full scales at their corners. `texts` are [y title, y scale, x title, x scale].
ZMBR.saveGraph = (curve, name, texts, kind) => {
  const canvas = curve.canvas;
  const width = canvas.clientWidth || canvas.width;
  const height = canvas.clientHeight || canvas.height;
  ZMBR.savePicture(
    name,
    width,
    height,
    (g) => {
      curve.paint(g, { width, height }, 0);
      g.strokeStyle = "#808080"; // the window's edge, which the screen draws around the canvas
      g.lineWidth = 1;
      g.strokeRect(0.5, 0.5, width - 1, height - 1);
      g.font = '13px "Liberation Sans", Arial, sans-serif';
      g.fillStyle = "#000";
      g.textBaseline = "top";
      g.textAlign = "left";
      g.fillText(texts[0], 4, 4);
      g.fillText(texts[1], 4, 20);
      g.textAlign = "right";
      g.textBaseline = "bottom";
      g.fillText(texts[2], width - 4, height - 20);
      g.fillText(texts[3], width - 4, height - 4);
    },
    kind,
  );
};

// The parameter window's picture: the bars in two directions with their spacings, a panel
// element in shear with a bar at θri, and the bond law.
ZMBR.sketches = () => {
  const svg = `
<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 266 64" role="img"
  aria-label="Sketches: bars in two directions at spacings si and sj; a panel element in shear τxy with a bar at angle θri, 0 ≦ θri ≦ 180; the bond law rising to τby at sby">
  <rect width="266" height="64" fill="#fff"/>
  <g stroke="#000" stroke-width="1" fill="none">
    <path d="M8 14h64M8 30h64M8 46h64M20 6v52M40 6v52M60 6v52"/>
    <path d="M76 14v16M74 14h4M74 30h4M20 60h20M20 58v4M40 58v4" stroke="#00f"/>
    <path d="M100 56h60v-48z"/>
    <path d="M104 44l40-22" stroke="#c00"/>
    <path d="M100 60h56M164 12v40" stroke="#00f"/>
    <path d="M190 56h70M190 56v-50M190 56l24-30h42" />
    <path d="M214 26v30" stroke-dasharray="2 2"/>
  </g>
  <g font-family="sans-serif" font-size="8" fill="#000">
    <text x="79" y="25">si</text><text x="27" y="56">sj</text>
    <text x="113" y="40">θri</text><text x="142" y="50">θ</text>
    <text x="150" y="63">τxy</text><text x="167" y="33">τxy</text>
    <text x="104" y="9">0 ≦ θri ≦ 180</text>
    <text x="216" y="22">τby</text><text x="206" y="63">sby</text>
  </g>
</svg>`;
  const holder = ZMBR.element("div", "sketches");
  holder.innerHTML = svg;
  return holder;
};
