#pragma once
// Bar stress and strain at a crack, from the bond between two neighbouring cracks.

#include "solver/run_context.h"

namespace zmbr {

// Runs for rows 1..rows after the step's panel solution: sets each row's crack stress and
// strain and its status, and ends the run (runEnd = 1) when a rupture row breaks.
void analyseBondAtCracks(const RunContext& ctx);

} // namespace zmbr
