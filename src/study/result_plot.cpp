#include "study/result_plot.h"

namespace zmbr {

Figure resultPlot(const PlotCurves& files, bool strains) {
    Figure f;
    f.title = strains ? "ε1-ε2" : "τ-γ";
    f.x = {strains ? "ε1" : "γxy", true, false};
    f.y = {strains ? "ε2" : "τxy (MPa)", true, strains};
    for (const auto& [name, curve] : files) {
        FigureCurve c{name, {{0.0, 0.0}}, {EndMark::None}, {}}; // the zero line
        for (const ResultStep& s : curve.steps) {
            c.points.emplace_back(strains ? s.eps1 : s.gammaXY, strains ? s.eps2 : s.tauXY);
            c.marks.push_back(EndMark::None);
        }
        if (const EndMark m = lastStepMark(curve); m != EndMark::None)
            c.marks.back() = m;
        f.curves.push_back(std::move(c));
    }
    return f;
}

} // namespace zmbr
