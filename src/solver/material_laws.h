#pragma once
// Stress-strain laws of the cracked concrete and of a reinforcement row.

#include "numeric/double_math.h"

namespace zmbr {

struct ConcreteLaw {
    double fc;    // compressive strength, negative
    double epsC;  // strain at fc, negative
    double ft;    // cracking stress
    double epsCr; // cracking strain

    // Average principal tensile stress at the principal tensile strain eps1.
    double tension(double eps1) const;
    // Compressive strength softened by the tensile strain eps1 (negative).
    double softenedStrength(double eps1) const;
    // Principal compressive strain that goes with the stress fc2 on the parabola peaking
    // at fc2max; stresses beyond the peak land on the mirrored branch. Worked out in every
    // inner pass, so it is inline.
    double compressiveStrain(double fc2, double fc2max) const {
        return epsC * (1 - dmath::sqrt(dmath::fabs(
                               1 - divide(fc2, fc2max, "the softened strength fc2max"))));
    }
};

// The cracking stress ft = 0.33·√(−fc) and strain εcr = ft·εc/(2·fc), as a run forms them; not
// finite where fc and εc give none (the run then stops; a report says it cannot form them).
struct CrackingValues {
    double ft, epsCr;
};
CrackingValues crackingValues(double fc, double epsC);

ConcreteLaw makeConcreteLaw(double fc, double epsC);

// Stress of a row of modulus Er at the strain epsR. A yield row (capped) stops at fru and is
// then flagged.
inline double rowStress(double Er, double fru, bool capped, double epsR, int& yielded) {
    double fr = Er * epsR;
    if (capped && fr > fru) {
        fr = fru;
        yielded = 1;
    }
    return fr;
}

} // namespace zmbr
