#pragma once
// A study's picture as a viewer shows it: the chart, or the map where a chart would hold too
// many curves, and where each variant lies in it, so that pointing at a point or a cell finds
// the variant behind it.

#include "study/drawing.h"
#include "study/parameter_study.h"

#include <cstddef>
#include <string>
#include <vector>

namespace zmbr {

struct StudySpot {
    std::size_t variant = 0; // from 0, in the order of the variants
    Box box;                 // in the drawing's units
};

struct StudyPicture {
    std::string title; // what the picture shows, for those who cannot see it
    Drawing drawing;
    std::vector<StudySpot> spots; // a point of the chart, or a cell of the map
};

StudyPicture studyPicture(const StudyResults& results, const TextWidth& width);

} // namespace zmbr
