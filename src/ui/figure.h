#pragma once
// The figures of --plot and --study as SVG or PNG files: laid out in the core, painted here.

#include "study/figure.h"
#include "study/study_map.h"

#include <QByteArray>

namespace zmbr::ui {

// The figure or the map as the bytes of an SVG or a PNG file. Need a QGuiApplication, which
// may run on the offscreen platform.
QByteArray renderFigure(const Figure& figure, bool svg);
QByteArray renderStudyMap(const StudyMap& map, bool svg);

} // namespace zmbr::ui
