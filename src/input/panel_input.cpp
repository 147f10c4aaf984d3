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

float applyLimitRule(PanelField field, float v) {
    switch (field) {
    case PanelField::InitialTheta:
    case PanelField::ThetaR:
        if (v > 180)
            return 180;
        if (v < 0)
            return 0;
        return v;
    case PanelField::Axes:
        if (v > 10)
            return 10;
        if (v < 1)
            return 1;
        return v;
    case PanelField::Layer:
        return v < 1 ? 1.0f : v;
    case PanelField::T:
    case PanelField::Sm:
    case PanelField::Ec:
    case PanelField::TauBy:
    case PanelField::SBy:
        return v < 0 ? 0.0f : v;
    case PanelField::Fc:
    case PanelField::EpsC:
        return v > 0 ? 0.0f : v;
    case PanelField::Ar:
    case PanelField::S:
    case PanelField::Fru:
    case PanelField::Er:
        return v;
    }
    return v;
}

const char* displayPattern(PanelField field) {
    switch (field) {
    case PanelField::Axes:
    case PanelField::Layer:
    case PanelField::Ec:
    case PanelField::Fru:
    case PanelField::Er:
        return "#####0";
    case PanelField::Fc:
    case PanelField::T:
    case PanelField::Sm:
    case PanelField::TauBy:
    case PanelField::InitialTheta:
    case PanelField::S:
        return "##0.00";
    case PanelField::EpsC:
    case PanelField::SBy:
        return "#0.0000";
    case PanelField::Ar:
        return "#0.000";
    case PanelField::ThetaR:
        return "###0.0";
    }
    return "";
}

FailureMode failureModeFromText(const std::string& text) {
    return text == "rupture" ? FailureMode::Rupture : FailureMode::Yield;
}

} // namespace zmbr
