#include "study/study_grid.h"

#include "numeric/number_text.h"

#include <algorithm>
#include <set>

namespace zmbr {

namespace {

std::vector<double> distinctValues(const StudyResults& r, std::size_t name) {
    std::set<double> values;
    for (const StudyPoint& p : r.points)
        values.insert(parseNumber(p.stored[name]));
    return {values.begin(), values.end()};
}

std::size_t indexOf(const std::vector<double>& values, double v) {
    return static_cast<std::size_t>(std::lower_bound(values.begin(), values.end(), v) -
                                    values.begin());
}

} // namespace

bool studyWantsMap(const StudyResults& r) {
    return r.names.size() > 2 || (r.names.size() == 2 && distinctValues(r, 1).size() > kMostCurves);
}

StudyGrid studyGrid(const StudyResults& r) {
    StudyGrid g;
    g.xs = distinctValues(r, 0);
    g.ys = distinctValues(r, 1);
    for (std::size_t i = 2; i < r.names.size(); ++i)
        g.folded.push_back(r.names[i].text);
    g.cells.resize(g.xs.size() * g.ys.size());
    for (std::size_t k = 0; k < r.points.size(); ++k) {
        const StudyPoint& p = r.points[k];
        const std::size_t xi = indexOf(g.xs, parseNumber(p.stored[0]));
        const std::size_t yi = indexOf(g.ys, parseNumber(p.stored[1]));
        StudyCell& cell = g.cells[yi * g.xs.size() + xi];
        // The lowest τxy max over the folded names: the value a design can count on.
        if (p.tauMax && (!cell.tauMax || *p.tauMax < *cell.tauMax))
            cell = {p.tauMax, p.end, k};
        else if (!cell.tauMax && cell.end.empty())
            cell = {std::nullopt, p.end, k};
    }
    return g;
}

} // namespace zmbr
