"use strict";
// Paints a drawing the core laid out (its shapes and labels, in painting order) on a canvas's
// 2D context or the SVG writer's: every position, colour and word comes from the core. The
// core measures its texts through ZMBR.measureFace, in the faces painted here.

var ZMBR = self.ZMBR || (self.ZMBR = {});

// The core's faces: sans, its bold, and a monospaced face.
ZMBR.faceFont = (face, size) => {
  const family =
    face === 2
      ? '"Liberation Mono", "Courier New", monospace'
      : '"Liberation Sans", Arial, sans-serif';
  return `${face === 1 ? "bold " : ""}${size}px ${family}`;
};

ZMBR.measureFace = (() => {
  let g = null;
  return (face, size, text) => {
    g ??= document.createElement("canvas").getContext("2d");
    g.font = ZMBR.faceFont(face, size);
    return g.measureText(text).width;
  };
})();

ZMBR.paintDrawing = (g, drawing) => {
  const colour = ([r, gr, b]) => `rgb(${r},${gr},${b})`;
  const align = { left: "left", centre: "center", right: "right" };
  for (const item of drawing.items) {
    if (item.text !== undefined) {
      g.save();
      g.font = ZMBR.faceFont(item.face, item.size);
      g.fillStyle = colour(item.colour);
      g.textAlign = align[item.anchor];
      g.textBaseline = "alphabetic";
      g.translate(item.x, item.y);
      if (item.angle) g.rotate((-item.angle * Math.PI) / 180);
      g.fillText(item.text, 0, 0);
      g.restore();
      continue;
    }
    g.save();
    if (item.clip) {
      g.beginPath();
      g.rect(...item.clip);
      g.clip();
    }
    g.beginPath();
    const p = item.points;
    for (let k = 0; k + 1 < p.length; k += 2) g[k === 0 ? "moveTo" : "lineTo"](p[k], p[k + 1]);
    if (item.closed) g.closePath();
    if (item.fill) {
      g.fillStyle = colour(item.fill);
      g.fill();
    }
    if (item.stroke) {
      g.strokeStyle = colour(item.stroke);
      g.lineWidth = item.width;
      g.setLineDash(item.dashes);
      g.stroke();
    }
    g.restore();
  }
};
