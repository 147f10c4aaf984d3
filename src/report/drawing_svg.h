#pragma once
// The core's own painter of a drawing as an SVG file, for the programs built without the
// windows: the same shapes and texts the windows' painter paints, in the same units (1/96
// inch), written with the standard library alone. The texts name Liberation Sans and Mono,
// the report's faces, with which the layout measured them.

#include "study/drawing.h"
#include "study/parameter_study.h"

#include <string>

namespace zmbr {

// The drawing as the text of an SVG 1.1 file titled `title`; the same bytes for the same
// drawing on every toolchain and in every locale.
std::string drawingSvg(const Drawing& drawing, const std::string& title);

// A study's chart, or its map where a chart would hold too many curves, as SVG, laid out with
// the widths `measure` gives.
std::string studyChartSvg(const StudyResults& results, const TextWidth& measure);

} // namespace zmbr
