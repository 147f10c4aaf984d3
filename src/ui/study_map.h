#pragma once
// A study drawn as a map: τxy max as colour over the values of its first two varied names,
// with a colour bar, and a mark in each cell whose run ended otherwise than most did.

#include "study/study_grid.h"
#include "ui/figure.h"

namespace zmbr::ui {

struct StudyMap {
    QString title, subtitle; // the subtitle names the folded names, if any
    QString xTitle, yTitle, valueTitle;
    StudyGrid grid;
};

StudyMap studyMap(const StudyResults& results);

// The map on a kFigureWidth × kFigureHeight area from the painter's origin.
void paintStudyMap(QPainter& p, const StudyMap& map);

// The map as the bytes of an SVG or a PNG file, the size of the other figures.
QByteArray renderStudyMap(const StudyMap& map, bool svg);

} // namespace zmbr::ui
