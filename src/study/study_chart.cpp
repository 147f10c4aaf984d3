#include "study/study_chart.h"

#include "numeric/number_text.h"

#include <algorithm>
#include <filesystem>

namespace zmbr {

Figure studyChart(const StudyResults& r) {
    Figure f;
    const std::string file = std::filesystem::path(r.file).filename().string();
    f.title = "τxy max of the variants of " + file;
    f.x = {r.names.front().caption(), false, false};
    f.y = {"τxy max (MPa)", true, false};
    for (std::size_t i = 1; i < r.names.size(); ++i)
        f.legendTitle += (i > 1 ? ", " : "") + r.names[i].caption();

    // One curve for each set of the other names' values, in the order they first come.
    std::vector<std::string> keys;
    for (const StudyPoint& p : r.points) {
        std::string key;
        for (std::size_t i = 1; i < p.stored.size(); ++i)
            key += (i > 1 ? ", " : "") + (r.names.size() > 2 ? r.names[i].text + " = " : "") +
                   p.stored[i];
        auto at = std::find(keys.begin(), keys.end(), key);
        if (at == keys.end()) {
            keys.push_back(key);
            f.curves.push_back({key.empty() ? file : key, {}, {}, {}});
            at = keys.end() - 1;
        }
        if (!p.tauMax)
            continue; // not run, or no step: nothing to show
        FigureCurve& c = f.curves[static_cast<std::size_t>(at - keys.begin())];
        c.points.emplace_back(parseNumber(p.stored.front()), *p.tauMax);
        c.marks.push_back(endMarkOf(p.end));
    }
    // Along the axis, whatever order the range ran in.
    for (FigureCurve& c : f.curves) {
        std::vector<std::size_t> order(c.points.size());
        for (std::size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(), [&c](std::size_t a, std::size_t b) {
            return c.points[a].first < c.points[b].first;
        });
        FigureCurve sorted{c.label, {}, {}, {}};
        for (std::size_t i : order) {
            sorted.points.push_back(c.points[i]);
            sorted.marks.push_back(c.marks[i]);
        }
        c = std::move(sorted);
    }
    // The legend lists the curves in order, beside their right ends: the curve that ends
    // highest comes first, so that the legend reads down as the curves stack.
    std::stable_sort(
        f.curves.begin(), f.curves.end(), [](const FigureCurve& a, const FigureCurve& b) {
            return !a.points.empty() &&
                   (b.points.empty() || a.points.back().second > b.points.back().second);
        });
    return f;
}

} // namespace zmbr
