#pragma once
// The figures a report holds, drawn from its document's data by the core's figure code.

#include "report/calculation_report.h"
#include "study/drawing.h"

namespace zmbr {

// The figure in its own units; an empty drawing (no width) where the document has no data
// for it.
Drawing reportFigure(const ReportDocument& document, ReportFigure figure, const TextWidth& measure);

} // namespace zmbr
