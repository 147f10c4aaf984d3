#pragma once
// The drawing of a panel's rows for the report: a panel element in shear, x to the right and
// y up, with a family of bars for each direction and a legend beside it. The directions are
// the rows' angles; the bars' number, spacing and size are not to scale, and the drawing says
// so.

#include "study/drawing.h"

#include <string>
#include <vector>

namespace zmbr {

// The rows that share one direction.
struct RowFamily {
    double degrees;
    std::string label; // "rows 1, 2:  θr = 0.0°"
};

// The text size of the drawing, the report's body text: 8.5 pt at 96 units to the inch.
inline constexpr double kRowDirectionsTextSize = 8.5 * 96 / 72;

// The drawing on width × height units.
Drawing drawRowDirections(const std::vector<RowFamily>& families, double width, double height,
                          const TextWidth& textWidth);

} // namespace zmbr
