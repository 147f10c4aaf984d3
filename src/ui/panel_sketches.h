#pragma once
// The picture under the reinforcement table: the bar grid with its spacings, the panel
// element in shear with a bar's angle, and the bond law.

#include <QPixmap>
#include <QSize>

namespace zmbr::ui {

QPixmap drawPanelSketches(QSize size, qreal devicePixelRatio = 1.0);

} // namespace zmbr::ui
