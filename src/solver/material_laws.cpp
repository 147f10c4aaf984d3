#include "solver/material_laws.h"

#include "numeric/double_math.h"

namespace zmbr {

CrackingValues crackingValues(double fc, double epsC) {
    const double ft = 0.33 * dmath::sqrt(-fc);
    return {ft, ft * epsC / (2 * fc)};
}

ConcreteLaw makeConcreteLaw(double fc, double epsC) {
    const CrackingValues c = crackingValues(fc, epsC);
    finite(c.ft, "the cracking stress ft");
    checkQuotient(c.epsCr, 2 * fc, "the concrete strength fc");
    return {fc, epsC, c.ft, c.epsCr};
}

double ConcreteLaw::tension(double eps1) const {
    if (eps1 <= epsCr)
        return divide(2 * fc * eps1, epsC, "the strain εc");
    return ft / (1 + dmath::sqrt(200 * eps1));
}

double ConcreteLaw::softenedStrength(double eps1) const {
    double fc2max =
        divide(fc, divide(-0.95 * eps1, epsC, "the strain εc"), "the softening factor 0.95·ε1/εc");
    if (fc2max < fc)
        fc2max = fc;
    return fc2max;
}

} // namespace zmbr
