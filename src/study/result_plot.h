#pragma once
// The overlay of result files in one figure.

#include "run/result_reading.h"
#include "study/figure.h"

namespace zmbr {

// The curves of result files (name, contents) from the origin: τxy against γxy, or with
// `strains` ε2 against ε1 as the ε1-ε2 window draws it; a run that failed has its last step
// marked.
Figure resultPlot(const PlotCurves& files, bool strains);

} // namespace zmbr
