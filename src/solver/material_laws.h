#pragma once
// Stress-strain laws of the cracked concrete and of a reinforcement row.

#include "input/panel_input.h"

namespace zmbr {

struct ConcreteLaw {
    float fc;     // compressive strength, negative
    float epsC;   // strain at fc, negative
    double ft;    // cracking stress
    double epsCr; // cracking strain

    // Average principal tensile stress at the principal tensile strain eps1.
    double tension(double eps1) const;
    // Compressive strength softened by the tensile strain eps1 (negative).
    double softenedStrength(double eps1) const;
    // Principal compressive strain that goes with the stress fc2 on the parabola peaking
    // at fc2max; stresses beyond the peak land on the mirrored branch.
    double compressiveStrain(double fc2, double fc2max) const;
};

ConcreteLaw makeConcreteLaw(float fc, float epsC);

// Stress of a row at the strain epsR. A yield row is capped at fru and then flagged.
double rowStress(const ReinforcementLayer& row, double epsR, int& yielded);

} // namespace zmbr
