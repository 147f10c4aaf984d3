#pragma once
// What the figures of result files and studies compute before anything is drawn: an axis's
// range and ticks, the tick labels, and the mark of how a run ended. The desktop's pictures
// and the page's figure both use these.

#include "run/result_reading.h"

#include <string>
#include <vector>

namespace zmbr {

// The axis's range and ticks: tick values step by 1, 2 or 5 times a power of ten.
struct AxisScale {
    double low = 0, high = 1; // the values at the ends of the axis
    std::vector<double> ticks;
    int decimals = 0; // of the tick labels
};
AxisScale axisScale(double dataLow, double dataHigh, bool fromZero);

// A tick's label with the axis's decimals.
std::string tickLabel(double value, int decimals);

// How a run ended, marked at a point of a curve.
enum class EndMark { None, ConcreteNG, Rupture, StepLimit, Stopped };

// The mark of an end as the summary table names it ("concrete_ng", "rupture", ...).
EndMark endMarkOf(const std::string& end);
// The mark at the last step of a result file: crushed concrete or a rupture where the file
// closes with the failure lines, else none.
EndMark lastStepMark(const ResultCurve& curve);
// The legend's words for a mark.
const char* markName(EndMark m);

} // namespace zmbr
