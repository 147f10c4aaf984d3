#include "study/study_picture.h"

#include "numeric/number_text.h"
#include "study/figure.h"
#include "study/study_chart.h"
#include "study/study_map.h"

namespace zmbr {

namespace {

// A chart's point answers within this many units of its centre.
constexpr double kPointReach = 8;

} // namespace

StudyPicture studyPicture(const StudyResults& results, const TextWidth& width) {
    StudyPicture picture;
    if (studyWantsMap(results)) {
        const StudyMap map = studyMap(results);
        picture.title = map.title + (map.subtitle.empty() ? "" : " (" + map.subtitle + ")");
        picture.drawing = drawStudyMap(map, width);
        const std::vector<Box> cells = studyMapCells(map, width);
        for (std::size_t i = 0; i < cells.size(); ++i)
            if (const auto& variant = map.grid.cells[i].variant)
                picture.spots.push_back({*variant, cells[i]});
        return picture;
    }
    const Figure chart = studyChart(results);
    picture.title = chart.title;
    picture.drawing = drawFigure(chart, width);
    const FigureLayout layout = layOutFigure(chart, width);
    for (std::size_t k = 0; k < results.points.size(); ++k) {
        const StudyPoint& p = results.points[k];
        if (!p.tauMax)
            continue;
        const Point at = layout.frame.map(parseNumber(p.stored.front()), *p.tauMax);
        picture.spots.push_back(
            {k, {at.x - kPointReach, at.y - kPointReach, 2 * kPointReach, 2 * kPointReach}});
    }
    return picture;
}

} // namespace zmbr
