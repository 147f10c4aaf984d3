#pragma once
// The mathematical functions of the analysis, in double precision only, and the checked
// division that keeps undefined numbers out of a run.
//
// <cmath> has a float overload of every function: std::cos of a float angle is computed in
// float and silently loses digits. Here the float overloads are deleted, so such a call does
// not compile; the solver and the bond analysis use these and nothing else from <cmath>.
//
// cos, sin, tan and exp are the project's own, rounded correctly, so that a result file has
// the same digits whichever C library computed it; sqrt and fabs are exact by IEEE 754.

#include "numeric/correctly_rounded.h"

#include <cfloat>
#include <cmath>
#include <string>

namespace zmbr {

namespace dmath {

inline double cos(double x) {
    return rounded::roundedCos(x);
}
inline double sin(double x) {
    return rounded::roundedSin(x);
}
inline double tan(double x) {
    return rounded::roundedTan(x);
}
inline double sqrt(double x) {
    return std::sqrt(x);
}
inline double exp(double x) {
    return rounded::roundedExp(x);
}
inline double fabs(double x) {
    return std::fabs(x);
}

double cos(float) = delete;
double sin(float) = delete;
double tan(float) = delete;
double sqrt(float) = delete;
double exp(float) = delete;
double fabs(float) = delete;

} // namespace dmath

// Thrown where the analysis would divide by 0 or go on with a number that is not finite;
// the run ends in order at the step where it happened, with `what` in its message.
struct UndefinedNumber {
    std::string what;
};

[[noreturn]] [[gnu::cold]] void throwNotFinite(const char* quantity);
[[noreturn]] [[gnu::cold]] void throwUndefinedQuotient(double divisor, const char* name);

// The value, when it is finite.
inline double finite(double value, const char* quantity) {
    if (!std::isfinite(value)) [[unlikely]]
        throwNotFinite(quantity);
    return value;
}

// The quotient q by d, when both are finite: the check of divide() for a quotient already
// worked out.
inline double checkQuotient(double q, double d, const char* divisor) {
    // A divisor of 0 leaves no finite quotient, so two checks cover the three cases.
    if (!(std::fabs(q) <= DBL_MAX) || !(std::fabs(d) <= DBL_MAX)) [[unlikely]]
        throwUndefinedQuotient(d, divisor);
    return q;
}

// n / d, when d is neither 0 nor infinite and the quotient is finite. A division by an
// infinity is refused too: it would hide the infinity as a harmless 0.
inline double divide(double n, double d, const char* divisor) {
    return checkQuotient(n / d, d, divisor);
}

} // namespace zmbr
