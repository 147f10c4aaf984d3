#pragma once
// A study drawn as a map: τxy max as colour over the values of its first two varied names,
// with a colour bar, and a mark in each cell whose run ended otherwise than most did.

#include "study/drawing.h"
#include "study/figure_parts.h"
#include "study/study_grid.h"

#include <string>
#include <vector>

namespace zmbr {

struct StudyMap {
    std::string title, subtitle; // the subtitle names the folded names, if any
    std::string xTitle, yTitle, valueTitle;
    StudyGrid grid;
};

StudyMap studyMap(const StudyResults& results);

// The map on kFigureWidth × kFigureHeight units, the size of the other figures.
Drawing drawStudyMap(const StudyMap& map, const TextWidth& width);

// Where each cell of the map lies in its drawing, in the grid's order.
std::vector<Box> studyMapCells(const StudyMap& map, const TextWidth& width);

} // namespace zmbr
