#pragma once
// The slow and always right evaluation of the correctly rounded functions: fixed-point
// multiword arithmetic, used where the fast double-double evaluation cannot tell which way
// its result rounds (about one call in a few thousand).

namespace zmbr::precise {

// The double nearest e^x, for |x| ≥ 2^-54 with x in [-745.2, 709.8] (any result, subnormal
// and overflowing ones included).
double roundedExp(double x);
// The doubles nearest sin x, cos x and tan x, for finite |x| ≥ 2^-28.
double roundedSin(double x);
double roundedCos(double x);
double roundedTan(double x);

} // namespace zmbr::precise
