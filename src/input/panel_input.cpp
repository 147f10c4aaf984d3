#include "input/panel_input.h"

#include <cmath>

namespace zmbr {

int PanelInput::usedRows() const {
    if (!(axes >= 1))
        return 0;
    if (axes >= kMaxRows)
        return kMaxRows;
    return static_cast<int>(std::floor(axes));
}

PanelInput PanelInput::defaults() {
    PanelInput p;
    p.epsC = -0.002f;
    p.t = 15;
    p.tauBy = 15;
    p.axes = 10;
    p.sm = 10;
    p.layer = 1;
    p.fc = -30;
    p.Ec = 24000;
    p.sBy = 0.0035f;
    p.optionOn = 0;
    p.initialTheta = 45;
    p.comment = "Please input the comment";
    for (int r = 1; r <= kMaxRows; ++r) {
        ReinforcementLayer& row = p.row(r);
        row.Ar = 1;
        row.s = 10;
        row.fru = 2000;
        row.Er = 35000;
        row.thetaR = r <= 5 ? 0.0f : 90.0f;
        row.failureMode = FailureMode::Rupture;
    }
    return p;
}

FailureMode failureModeFromText(const std::string& text) {
    return text == "rupture" ? FailureMode::Rupture : FailureMode::Yield;
}

} // namespace zmbr
