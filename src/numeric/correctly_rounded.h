#pragma once
// cos, sin, tan and exp rounded correctly (to the nearest double, ties to even) for every
// argument of their domains, in IEEE double arithmetic alone: the same digits on every
// machine and with every compiler and C library.

namespace zmbr::rounded {

// The largest |x| the circular functions accept; past it they return NaN.
inline constexpr double kCircularLimit = 16;

double roundedCos(double x); // |x| ≤ 16
double roundedSin(double x); // |x| ≤ 16
double roundedTan(double x); // |x| ≤ 16
double roundedExp(double x); // every x: overflow to +inf, underflow to subnormals and +0

} // namespace zmbr::rounded
