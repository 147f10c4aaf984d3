#include "ui/result_plot.h"

namespace zmbr::ui {

Figure resultPlot(const std::vector<std::pair<std::string, ResultCurve>>& files, bool strains) {
    Figure f;
    f.title = strains ? QStringLiteral("ε1-ε2") : QStringLiteral("τ-γ");
    f.x = {strains ? QStringLiteral("ε1") : QStringLiteral("γxy"), true, false};
    f.y = {strains ? QStringLiteral("ε2") : QStringLiteral("τxy (MPa)"), true, strains};
    for (const auto& [name, curve] : files) {
        FigureCurve c{QString::fromStdString(name), {{0.0, 0.0}}, {EndMark::None}}; // the zero line
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

} // namespace zmbr::ui
