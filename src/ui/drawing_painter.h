#pragma once
// The windows' painter of a drawing the core laid out: every shape and text as it is given,
// in the painter's units, and the texts' widths for the layout from the same faces.

#include "study/drawing.h"

#include <QByteArray>
#include <QFont>
#include <QPainter>
#include <QString>

namespace zmbr::ui {

// The face at a size in units of 1/96 inch: Liberation Sans and its bold, Liberation Mono.
QFont drawingFont(Face face, double size);

// The widths of texts in those faces at 96 units to the inch, for the core's layout.
TextWidth qtTextWidth();

// Paints the drawing from the painter's origin, one unit to one of the painter's.
void paintDrawing(QPainter& p, const Drawing& drawing);

// The drawing as the bytes of an SVG file or of a PNG of twice its size. Needs a
// QGuiApplication, which may run on the offscreen platform.
QByteArray renderDrawing(const Drawing& drawing, const QString& title, bool svg);

} // namespace zmbr::ui
