#pragma once
// The design chart of a parameter study.

#include "study/parameter_study.h"
#include "ui/figure.h"

namespace zmbr::ui {

// τxy max against the first varied value, one curve for each value of the other names, each
// point marked with how its run ended.
Figure studyChart(const StudyResults& results);

} // namespace zmbr::ui
