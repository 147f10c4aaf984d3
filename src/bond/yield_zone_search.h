#pragma once
// The search for the length ly of the zone of constant bond next to each crack face.

#include "bond/yield_zone_residual.h"
#include "solver/run_context.h"

namespace zmbr {

// Walks ly from the row's last length in steps of 0.01 mm while the slip residual Pb falls in
// magnitude, turning back each time it does not; ends on the evaluation after the third turn.
// Returns the bar force at the crack of the iterate where it turned the third time, and keeps
// the last ly evaluated as the start of the row's next search.
double searchYieldZone(const RunContext& ctx, int row, const YieldZoneTerms& terms);

} // namespace zmbr
