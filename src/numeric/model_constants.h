#pragma once
// The constants of the panel model, written once.

namespace zmbr {

// π as the model defines it: the literal 3.1416 in every conversion between degrees and
// radians and in every right angle of the step solution and the bond analysis. The results a
// user compares against were computed with it; M_PI would move the crack angles in their last
// digits and, through them, every column of the result file.
inline constexpr double kModelPi = 3.1416;

// A right angle in radians, with the model's π.
inline constexpr double kModelRightAngle = 90 * kModelPi / 180;

} // namespace zmbr
