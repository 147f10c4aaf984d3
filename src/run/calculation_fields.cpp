#include "run/calculation_fields.h"

#include "numeric/number_text.h"

#include <algorithm>

namespace zmbr {

CalculationFields::CalculationFields(int yieldEvery) : RunObserver(yieldEvery) {
    keepRecent(theta_, passes_);
}

const char* calcFieldName(CalcField f) {
    switch (f) {
    case CalcField::Step:
        return "step";
    case CalcField::RowRatio:
        return "rowRatio";
    case CalcField::CrackingStrain:
        return "crackingStrain";
    case CalcField::SumFriy:
        return "sumFriy";
    case CalcField::Fc2:
        return "fc2";
    case CalcField::Fx:
        return "fx";
    case CalcField::Eps1:
        return "eps1";
    case CalcField::TauXY:
        return "tauXY";
    case CalcField::GammaXY:
        return "gammaXY";
    case CalcField::ConcreteStatus:
        return "concreteStatus";
    case CalcField::RowStatus:
        return "rowStatus";
    case CalcField::PassCount:
        return "passCount";
    case CalcField::CurrentRow:
        return "currentRow";
    case CalcField::Theta:
        return "theta";
    case CalcField::TauMax:
        return "tauMax";
    case CalcField::YieldLength:
        return "yieldLength";
    case CalcField::Pb:
        return "pb";
    }
    return "";
}

std::string CalculationFields::show(const Shown& s, const char* pattern) {
    return s.set ? formatNumber(s.value, pattern) : std::string();
}

std::string CalculationFields::text(CalcField f, int element) const {
    const auto e = static_cast<std::size_t>(element);
    switch (f) {
    case CalcField::Step:
        return show(step_, "#####0");
    case CalcField::RowRatio:
        return show(rho_[e], "#0.000000");
    case CalcField::CrackingStrain:
        return show(epsCr_, "#0.000000");
    case CalcField::SumFriy:
        return passes_[e].set ? formatNumber(passes_[e].sumFriyPrev, "###0.00") : "";
    case CalcField::Fc2:
        return passes_[e].set ? formatNumber(passes_[e].fc2, "###0.00") : "";
    case CalcField::Fx:
        return passes_[e].set ? formatNumber(passes_[e].fx, "###0.000") : "";
    case CalcField::Eps1:
        return show(eps1_, "#0.000000");
    case CalcField::TauXY:
        return passed() ? formatNumber(lastPass().tauXY, "##0.000") : "";
    case CalcField::GammaXY:
        return passed() ? formatNumber(lastPass().gammaXY, "#0.000000") : "";
    case CalcField::ConcreteStatus:
        return statusText(concreteStatus());
    case CalcField::RowStatus:
        return statusText(rowStatus(element));
    case CalcField::PassCount:
        return passed() ? formatNumber(static_cast<double>(lastPass().count), "#####0") : "";
    case CalcField::CurrentRow:
        return row() == 0 ? std::string() : formatNumber(static_cast<double>(row()), "###0");
    case CalcField::Theta:
        return theta_[e].set ? formatNumber(theta_[e].degrees, "###0.00") : "";
    case CalcField::TauMax:
        return show(tauMax_, "##0.000");
    case CalcField::YieldLength:
        return hasSearchIterate() ? formatNumber(searchLy(), "##0.00") : std::string();
    case CalcField::Pb:
        return hasSearchIterate() ? formatNumber(searchPb(), "##0.00000") : std::string();
    }
    return {};
}

void CalculationFields::runStarted(const RunState& rs) {
    epsCr_ = rs.epsCr;
    for (int i = 0; i < rs.rows; ++i)
        rho_[static_cast<std::size_t>(i)] = rs.rhoR[static_cast<std::size_t>(i)].asFloat();
    theta_ = {};
    passes_ = {};
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
