#include "numeric/double_math.h"

namespace zmbr {

void throwNotFinite(const char* quantity) {
    throw UndefinedNumber{std::string(quantity) + " is not a finite number."};
}

void throwUndefinedQuotient(double divisor, const char* name) {
    if (divisor == 0)
        throw UndefinedNumber{std::string(name) + " is 0, and the analysis divides by it."};
    if (!std::isfinite(divisor))
        throwNotFinite(name);
    throw UndefinedNumber{"the quotient by " + std::string(name) + " is not a finite number."};
}

} // namespace zmbr
