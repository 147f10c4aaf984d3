#include "solver/material_laws.h"

#include <cmath>

namespace zmbr {

ConcreteLaw makeConcreteLaw(float fc, float epsC) {
    double ft = 0.33 * std::sqrt(static_cast<double>(-fc));
    double epsCr = ft * epsC / (2 * fc);
    return {fc, epsC, ft, epsCr};
}

double ConcreteLaw::tension(double eps1) const {
    if (eps1 <= epsCr) return 2 * fc * eps1 / epsC;
    return ft / (1 + std::sqrt(200 * eps1));
}

double ConcreteLaw::softenedStrength(double eps1) const {
    double fc2max = fc / (-0.95 * eps1 / epsC);
    if (fc2max < fc) fc2max = fc;
    return fc2max;
}

double ConcreteLaw::compressiveStrain(double fc2, double fc2max) const {
    return epsC * (1 - std::sqrt(std::fabs(1 - fc2 / fc2max)));
}

double rowStress(const ReinforcementLayer& row, double epsR, int& yielded) {
    double fr = row.Er * epsR;
    if (row.failureMode == FailureMode::Yield && fr > row.fru) {
        fr = row.fru;
        yielded = 1;
    }
    return fr;
}

} // namespace zmbr
