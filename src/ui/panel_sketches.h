#pragma once
// The picture under the reinforcement table: the bar grid with its spacings, the panel
// element in shear with a bar's angle, and the bond law.

#include <QPixmap>
#include <QRectF>
#include <QSize>
#include <QString>

#include <vector>

class QPainter;

namespace zmbr::ui {

QPixmap drawPanelSketches(QSize size, qreal devicePixelRatio = 1.0);

// The rows that share one direction, for the drawing of a panel's rows.
struct RowFamily {
    double degrees;
    QString label; // "rows 1, 2: θr = 0.0°"
};

// A panel element in shear, x to the right and y up, with a family of bars for each
// direction and a legend beside it, drawn in `area`.
void drawRowDirections(QPainter& p, const QRectF& area, const std::vector<RowFamily>& families);

} // namespace zmbr::ui
