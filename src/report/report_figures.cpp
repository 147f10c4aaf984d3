#include "report/report_figures.h"

#include "study/result_plot.h"
#include "study/row_directions.h"
#include "study/study_chart.h"
#include "study/study_grid.h"
#include "study/study_map.h"

#include <map>

namespace zmbr {

namespace {

// The rows' drawing on the text's width of a page in units of 1/96 inch (the page scales it
// to its points), its texts then the size of the body's.
constexpr double kRowsWidth = 665, kRowsHeight = 178;

// The rows that share a direction are drawn as one family: "rows 1, 3:  θr = 0.0°".
std::vector<RowFamily> rowFamilies(const std::vector<RowDirection>& rows) {
    std::vector<RowFamily> families;
    std::vector<std::string> numbers;
    std::map<std::string, std::size_t> byAngle;
    for (const RowDirection& r : rows) {
        auto [it, fresh] = byAngle.emplace(r.text, families.size());
        if (fresh) {
            families.push_back({r.degrees, r.text});
            numbers.emplace_back();
        }
        std::string& list = numbers[it->second];
        list += (list.empty() ? "" : ", ") + std::to_string(r.row);
    }
    for (std::size_t k = 0; k < families.size(); ++k)
        families[k].label = (numbers[k].find(',') != std::string::npos ? "rows " : "row ") +
                            numbers[k] + ":  θr = " + families[k].label + "°";
    return families;
}

// Cracking, the peak and the end, each named once: a point that is two of them carries both
// names.
std::vector<FigureNote> curveNotes(const ReportDocument& d) {
    const std::vector<ResultStep>& steps = d.curve->steps;
    std::vector<std::pair<const ResultStep*, std::string>> named;
    auto name = [&named](const ResultStep* s, const std::string& text) {
        for (auto& [step, words] : named)
            if (step == s) {
                words += ", " + text;
                return;
            }
        named.emplace_back(s, text);
    };
    if (d.crackingStep > 0 && static_cast<std::size_t>(d.crackingStep) <= steps.size())
        name(&steps[static_cast<std::size_t>(d.crackingStep) - 1], "cracking");
    name(d.curve->tauMaxStep(), "peak");
    name(&steps.back(), "end");
    std::vector<FigureNote> notes;
    for (const auto& [step, words] : named)
        notes.push_back({step->gammaXY, step->tauXY, words});
    return notes;
}

} // namespace

Drawing reportFigure(const ReportDocument& d, ReportFigure f, const TextWidth& measure) {
    switch (f) {
    case ReportFigure::PanelRows:
        if (d.rows.empty())
            return {};
        return drawRowDirections(rowFamilies(d.rows), kRowsWidth, kRowsHeight, measure);
    case ReportFigure::StudyChart:
        if (!d.study || d.study->names.empty())
            return {};
        if (studyWantsMap(*d.study))
            return drawStudyMap(studyMap(*d.study), measure);
        return drawFigure(studyChart(*d.study), measure);
    case ReportFigure::TauGamma:
    case ReportFigure::Eps1Eps2: {
        if (!d.curve || d.curve->steps.empty())
            return {};
        const bool strains = f == ReportFigure::Eps1Eps2;
        Figure figure = resultPlot({{d.curveName, *d.curve}}, strains);
        if (d.curveStopped)
            figure.curves.front().marks.back() = EndMark::Stopped;
        if (!strains)
            figure.curves.front().notes = curveNotes(d);
        return drawFigure(figure, measure);
    }
    }
    return {};
}

} // namespace zmbr
