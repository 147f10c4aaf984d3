#pragma once
// The panel's values as a run computes with them, taken once at set-up.
//
// The parameters are 32-bit fields, and arithmetic on a float runs in float: 2·fc of a large
// fc overflows where the double of the analysis would not. So the run never computes with
// the fields themselves: each becomes a double here. The few quantities the analysis defines
// in single precision (the reinforcement ratio, the row angle in radians, the modular ratio and
// the bond products Er·Ar, Er·Ar·sby, 2·Er·Ar·sby) are formed here, in float, and kept as
// Single, which offers its value only as a double: nothing computes in float after set-up.

#include "input/panel_input.h"

#include <array>

namespace zmbr {

// A value kept in single precision; read, it is a double.
class Single {
  public:
    Single() = default;
    explicit Single(float v) : value_(v) {}
    operator double() const { return value_; }
    float asFloat() const { return value_; } // for showing it as the float it is

  private:
    float value_ = 0;
};

struct RowParameters {
    double Ar = 0, s = 0, fru = 0, Er = 0;
    FailureMode failureMode = FailureMode::Rupture;
    Single modularRatio;  // Er / Ec, as Execute formed it
    Single ts;            // t·s
    Single rhoR;          // Ar / (t·s) · layer
    Single thetaR;        // the bars' direction in radians
    Single EA, EAs, EAs2; // Er·Ar, Er·Ar·sby, 2·Er·Ar·sby
};

struct RunParameters {
    int rows = 0; // rows in use, 1..floor(axes)
    double layer = 0, t = 0, sm = 0, fc = 0, epsC = 0, tauBy = 0, sBy = 0, initialTheta = 0;
    std::array<RowParameters, kMaxRows> row{};
};

RunParameters runParameters(const PanelInput& in);

} // namespace zmbr
