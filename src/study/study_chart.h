#pragma once
// The design chart of a parameter study.

#include "study/figure.h"
#include "study/parameter_study.h"

namespace zmbr {

// τxy max against the first varied value, one curve for each value of the other names, each
// point marked with how its run ended; the curve that ends highest first, as the legend lists
// them.
Figure studyChart(const StudyResults& results);

} // namespace zmbr
