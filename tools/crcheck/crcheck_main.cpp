// Checks the correctly rounded cos, sin, tan and exp against MPFR.
//   zmbr_crcheck check FUNCTION COUNT SEED   COUNT random arguments; prints the mismatches
//   zmbr_crcheck hard FUNCTION COUNT KEEP SEED   of COUNT random arguments, prints the KEEP
//       whose exact value lies closest to a midpoint between two doubles ("FUNCTION %a")
// The arguments: uniform over the domain, spread evenly over the exponents, and (exp) over
// the overflow and underflow ends.
#include "numeric/correctly_rounded.h"

#include <mpfr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using zmbr::rounded::kCircularLimit;

struct Function {
    const char* name;
    double (*ours)(double);
    int (*mpfrFn)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
};

const Function kFunctions[] = {
    {"cos", zmbr::rounded::roundedCos, mpfr_cos},
    {"sin", zmbr::rounded::roundedSin, mpfr_sin},
    {"tan", zmbr::rounded::roundedTan, mpfr_tan},
    {"exp", zmbr::rounded::roundedExp, mpfr_exp},
};

// The double nearest f(x), subnormals and overflow as IEEE rounds them.
double reference(const Function& f, double x) {
    mpfr_t in, out;
    mpfr_init2(in, 53);
    mpfr_init2(out, 53);
    mpfr_set_d(in, x, MPFR_RNDN);
    const int inexact = f.mpfrFn(out, in, MPFR_RNDN);
    mpfr_subnormalize(out, inexact, MPFR_RNDN);
    const double r = mpfr_get_d(out, MPFR_RNDN);
    mpfr_clear(in);
    mpfr_clear(out);
    return r;
}

double randomArgument(const Function& f, std::mt19937_64& rng) {
    const bool isExp = std::strcmp(f.name, "exp") == 0;
    std::uniform_real_distribution<double> unit(0, 1);
    const double sign = rng() & 1 ? -1 : 1;
    switch (rng() % 4) {
    case 0: // uniform over the domain
        return isExp ? -745.2 + unit(rng) * (709.8 + 745.2) : sign * unit(rng) * kCircularLimit;
    case 1: // spread over the exponents
        return sign * std::ldexp(1 + unit(rng), -static_cast<int>(rng() % 60)) * (isExp ? 512 : 8);
    case 2: // the ends: exp near overflow and underflow, the circular functions near ±16
        if (isExp)
            return rng() & 1 ? 700 + unit(rng) * 9.8 : -745.2 + unit(rng) * 40;
        return sign * (kCircularLimit - unit(rng) * 0.5);
    default: // uniform over the range the analysis uses
        return isExp ? sign * unit(rng) * 40 : sign * unit(rng) * 6.3;
    }
}

const Function* find(const char* name) {
    for (const Function& f : kFunctions)
        if (std::strcmp(f.name, name) == 0)
            return &f;
    return nullptr;
}

bool same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0 || (a != a && b != b);
}

int check(const Function& f, long count, unsigned seed) {
    std::mt19937_64 rng(seed);
    long mismatches = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        const double x = randomArgument(f, rng);
        const double ours = f.ours(x), want = reference(f, x);
        if (!same(ours, want) && ++mismatches <= 20)
            std::printf("MISMATCH %s(%a): %a, MPFR %a\n", f.name, x, ours, want);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %ld arguments, %ld mismatches, %.1f s\n", f.name, count, mismatches, seconds);
    return mismatches == 0 ? 0 : 1;
}

// How close f(x) comes to a midpoint between two doubles, in units of the result's last
// place: 0 is on a midpoint, 0.5 on a double.
double distanceToMidpoint(const Function& f, double x) {
    const mpfr_exp_t emin = mpfr_get_emin();
    mpfr_set_emin(mpfr_get_emin_min()); // the differences lie far below the doubles' range
    mpfr_t in, exact, rounded, diff;
    mpfr_init2(in, 53);
    mpfr_init2(exact, 256);
    mpfr_init2(rounded, 53);
    mpfr_init2(diff, 256);
    mpfr_set_d(in, x, MPFR_RNDN);
    f.mpfrFn(exact, in, MPFR_RNDN);
    // The distance to the nearest midpoint = |0.5 − frac| of the exact value in ulps.
    mpfr_set(rounded, exact, MPFR_RNDZ); // truncated to 53 bits
    mpfr_sub(diff, exact, rounded, MPFR_RNDN);
    const long e = mpfr_get_exp(rounded); // value in [2^(e−1), 2^e)
    mpfr_mul_2si(diff, diff, 53 - e, MPFR_RNDN);
    double frac = std::fabs(mpfr_get_d(diff, MPFR_RNDN));
    mpfr_clears(in, exact, rounded, diff, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_emin(emin);
    return std::fabs(frac - 0.5);
}

int hard(const Function& f, long count, long keep, unsigned seed) {
    std::mt19937_64 rng(seed);
    std::vector<std::pair<double, double>> best; // (distance, x)
    for (long i = 0; i < count; ++i) {
        const double x = randomArgument(f, rng);
        const double r = reference(f, x);
        if (!std::isfinite(r) || r == 0 || std::fabs(r) < 0x1p-1022 || std::fabs(r) == 1)
            continue; // no rounding to speak of (or subnormal: left to the random tests)
        best.emplace_back(distanceToMidpoint(f, x), x);
        if (best.size() > static_cast<size_t>(4 * keep)) {
            std::nth_element(best.begin(), best.begin() + keep, best.end());
            best.resize(keep);
        }
    }
    std::sort(best.begin(), best.end());
    best.resize(std::min<size_t>(best.size(), keep));
    for (const auto& [d, x] : best)
        std::printf("%s %a\n", f.name, x);
    if (!best.empty())
        std::fprintf(stderr, "%s: closest %.3g ulp from a midpoint, %ldth %.3g\n", f.name,
                     best.front().first, keep, best.back().first);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // The double exponent range, so that mpfr_subnormalize rounds as IEEE does.
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    const Function* f = argc > 2 ? find(argv[2]) : nullptr;
    if (f && argc == 5 && std::strcmp(argv[1], "check") == 0)
        return check(*f, std::atol(argv[3]), static_cast<unsigned>(std::atol(argv[4])));
    if (f && argc == 6 && std::strcmp(argv[1], "hard") == 0)
        return hard(*f, std::atol(argv[3]), std::atol(argv[4]),
                    static_cast<unsigned>(std::atol(argv[5])));
    std::fprintf(stderr, "usage: zmbr_crcheck check cos|sin|tan|exp COUNT SEED\n"
                         "       zmbr_crcheck hard cos|sin|tan|exp COUNT KEEP SEED\n");
    return 2;
}
