#pragma once
// cos, sin, tan and exp rounded correctly (to the nearest double, ties to even) for every
// argument of their domains, in IEEE double arithmetic alone: the same digits on every
// machine and with every compiler and C library.

namespace zmbr::rounded {

double roundedCos(double x); // every finite x; NaN for an infinity
double roundedSin(double x); // every finite x; NaN for an infinity
double roundedTan(double x); // every finite x; NaN for an infinity
double roundedExp(double x); // every x: overflow to +inf, underflow to subnormals and +0

} // namespace zmbr::rounded
