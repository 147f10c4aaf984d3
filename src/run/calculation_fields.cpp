#include "run/calculation_fields.h"

#include "numeric/number_text.h"

#include <algorithm>

namespace zmbr {

CalculationFields::CalculationFields(int yieldEvery) : RunObserver(yieldEvery) {}

std::string CalculationFields::show(const Shown& s, const char* pattern) {
    return s.set ? formatNumber(s.value, pattern) : std::string();
}

std::string CalculationFields::text(CalcField f, int element) const {
    const auto e = static_cast<std::size_t>(element);
    switch (f) {
    case CalcField::Text1:
        return show(step_, "#####0");
    case CalcField::Text2:
        return show(rho_[e], "#0.000000");
    case CalcField::Text3:
        return show(epsCr_, "#0.000000");
    case CalcField::Text4:
        return passRow(element).set ? formatNumber(passRow(element).sumFriyPrev, "###0.00") : "";
    case CalcField::Text5:
        return passRow(element).set ? formatNumber(passRow(element).fc2, "###0.00") : "";
    case CalcField::Text6:
        return passRow(element).set ? formatNumber(passRow(element).fx, "###0.000") : "";
    case CalcField::Text7:
        return show(eps1_, "#0.000000");
    case CalcField::Text8:
        return passed() ? formatNumber(lastPass().tauXY, "##0.000") : "";
    case CalcField::Text9:
        return passed() ? formatNumber(lastPass().gammaXY, "#0.000000") : "";
    case CalcField::Text10:
        return statusText(concreteStatus());
    case CalcField::Text11:
        return statusText(rowStatus(element));
    case CalcField::Text12:
        return passed() ? formatNumber(static_cast<double>(lastPass().count), "#####0") : "";
    case CalcField::Text13:
        return row() == 0 ? std::string() : formatNumber(static_cast<double>(row()), "###0");
    case CalcField::Text14:
        return theta(element).first ? formatNumber(theta(element).second, "###0.00") : "";
    case CalcField::Text15:
        return show(tauMax_, "##0.000");
    case CalcField::Text16:
        return hasSearchIterate() ? formatNumber(searchLy(), "##0.00") : std::string();
    case CalcField::Text17:
        return hasSearchIterate() ? formatNumber(searchPb(), "##0.00000") : std::string();
    }
    return {};
}

void CalculationFields::runStarted(const RunState& rs) {
    epsCr_ = rs.epsCr;
    for (int i = 0; i < rs.rows; ++i)
        rho_[static_cast<std::size_t>(i)] = rs.rhoR[static_cast<std::size_t>(i)].asFloat();
    thetaColumnCleared();
    clearPassTable();
    caption_ = "Cancel";
    running_ = true;
}

void CalculationFields::stepStarted(int step, double eps1) {
    step_ = step;
    eps1_ = eps1;
}

void CalculationFields::tauMaxShown(double t) {
    tauMax_ = t;
}

void CalculationFields::bondSearchStarted(int row) {
    searching_[static_cast<std::size_t>(row - 1)] = true;
}

void CalculationFields::bondSearchEnded(int row) {
    searching_[static_cast<std::size_t>(row - 1)] = false;
    clearSearchIterate();
}

void CalculationFields::stepPlotted(int step, const GraphState& g) {
    strains.plotStep(step, g);
    shearCurve.plotStep(step, g);
}

void CalculationFields::graphsRescaled(int step, const GraphState& g) {
    strains.redraw(step, g);
    shearCurve.redraw(step, g);
}

void CalculationFields::runEnded(const RunOutcome& o) {
    running_ = false;
    // A run that ended by failure or by a guard's stop has completed: its button offers "OK".
    // The step limit, a failed write and a cancel keep "Cancel".
    if (o.end == RunEnd::Failure || o.end == RunEnd::Stopped)
        caption_ = "OK";
}

} // namespace zmbr
