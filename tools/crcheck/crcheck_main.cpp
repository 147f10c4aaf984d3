// Checks the correctly rounded cos, sin, tan and exp against MPFR.
//   zmbr_crcheck check FUNCTION COUNT SEED   COUNT random arguments; prints the mismatches
//   zmbr_crcheck hard FUNCTION COUNT KEEP SEED   of COUNT random arguments, prints the KEEP
//       whose exact value lies closest to a midpoint between two doubles ("FUNCTION %a")
//   zmbr_crcheck near-half-pi KEEP   for every binade from 1 to the largest double, the KEEP
//       doubles found closest to a multiple of π/2 ("%a" and the distance's log2), for
//       tests/data/near_half_pi.txt
// The arguments: exp uniform over its domain, spread evenly over the exponents, and over the
// overflow and underflow ends; cos, sin and tan half within ±16 radians (uniform, spread over
// the exponents below, near ±16) and half beyond, spread evenly over every binade up to the
// largest double.
#include "numeric/correctly_rounded.h"

#include <mpfr.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

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

// A double with a random 52-bit fraction in the binade of 2^e.
double inBinade(int e, std::mt19937_64& rng) {
    return std::ldexp(1 + static_cast<double>(rng() >> 12) * 0x1p-52, e);
}

double randomArgument(const Function& f, long i, std::mt19937_64& rng) {
    const bool isExp = std::strcmp(f.name, "exp") == 0;
    std::uniform_real_distribution<double> unit(0, 1);
    const double sign = rng() & 1 ? -1 : 1;
    if (!isExp && i % 2 == 1) // past 16 radians: every binade from 2^4 to 2^1023 alike
        return sign * inBinade(4 + static_cast<int>(rng() % 1020), rng);
    switch (rng() % 4) {
    case 0: // uniform over the domain (the circular functions: within ±16)
        return isExp ? -745.2 + unit(rng) * (709.8 + 745.2) : sign * unit(rng) * 16;
    case 1: // spread over the exponents
        return sign * std::ldexp(1 + unit(rng), -static_cast<int>(rng() % 60)) * (isExp ? 512 : 8);
    case 2: // the ends: exp near overflow and underflow, the circular functions near ±16
        if (isExp)
            return rng() & 1 ? 700 + unit(rng) * 9.8 : -745.2 + unit(rng) * 40;
        return sign * (16 - unit(rng) * 0.5);
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
    long mismatches = 0, beyond16 = 0;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < count; ++i) {
        const double x = randomArgument(f, i, rng);
        beyond16 += std::fabs(x) > 16;
        const double ours = f.ours(x), want = reference(f, x);
        if (!same(ours, want) && ++mismatches <= 20)
            std::printf("MISMATCH %s(%a): %a, MPFR %a\n", f.name, x, ours, want);
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s: %ld arguments (%ld with |x| > 16), %ld mismatches, %.1f s\n", f.name, count,
                beyond16, mismatches, seconds);
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
        const double x = randomArgument(f, i, rng);
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

// log2 of the distance, in radians, from m·2^e to the nearest multiple of π/2.
double log2DistanceToHalfPi(std::uint64_t m, int e) {
    const mpfr_prec_t precision = 1600 + (e > 0 ? e : 0);
    mpfr_t v, pi;
    mpfr_inits2(precision, v, pi, static_cast<mpfr_ptr>(nullptr));
    mpfr_const_pi(pi, MPFR_RNDN);
    mpfr_set_ui(v, 2, MPFR_RNDN);
    mpfr_div(v, v, pi, MPFR_RNDN);    // 2/π
    mpfr_mul_ui(v, v, m, MPFR_RNDN);  // m·2/π, exact enough: m < 2^53
    mpfr_mul_2si(v, v, e, MPFR_RNDN); // in quarter turns
    mpfr_frac(v, v, MPFR_RNDN);
    if (mpfr_cmp_d(v, 0.5) > 0)
        mpfr_ui_sub(v, 1, v, MPFR_RNDN);
    mpfr_mul(v, v, pi, MPFR_RNDN);
    mpfr_div_2ui(v, v, 1, MPFR_RNDN); // radians
    mpfr_log2(v, v, MPFR_RNDN);
    const double out = mpfr_get_d(v, MPFR_RNDN);
    mpfr_clears(v, pi, static_cast<mpfr_ptr>(nullptr));
    return out;
}

// The m in [2^52, 2^53) whose m·2^e come closest to a multiple of π/2. With α the fraction of
// 2^e·2/π and q_k ≤ 2^53 < q_(k+1) its continued fraction's last denominators, every m is
// a·q_k + b·q_(k−1), and m·α is that far from an integer: a·δ_k + b·δ_(k−1), δ = qα − p. The
// nearest come with a small |b| (a large one leaves b·δ_(k−1) that no a in range cancels), so
// the search tries |b| ≤ 64 and, for each, the a that cancels best, then measures exactly.
std::vector<std::pair<double, std::uint64_t>> nearestInBinade(int e, int keep) {
    const mpfr_prec_t precision = 1600 + (e > 0 ? e : 0);
    mpfr_t alpha, delta;
    mpfr_inits2(precision, alpha, delta, static_cast<mpfr_ptr>(nullptr));
    mpfr_const_pi(alpha, MPFR_RNDN);
    mpfr_ui_div(alpha, 2, alpha, MPFR_RNDN);
    mpfr_mul_2si(alpha, alpha, e, MPFR_RNDN);
    mpfr_frac(alpha, alpha, MPFR_RNDN);
    const auto deltaOf = [&](unsigned __int128 q, unsigned __int128 p) {
        mpfr_mul_ui(delta, alpha, static_cast<unsigned long>(q), MPFR_RNDN);
        mpfr_sub_ui(delta, delta, static_cast<unsigned long>(p), MPFR_RNDN);
        return mpfr_get_ld(delta, MPFR_RNDN);
    };
    const unsigned __int128 limit = static_cast<unsigned __int128>(1) << 53;
    unsigned __int128 qPrev = 0, pPrev = 1, q = 1, p = 0; // q_(−1), p_(−1), q_0, p_0
    long double dPrev = -1, d = deltaOf(q, p);
    while (d != 0) {
        const long double a = std::floor(std::fabs(dPrev) / std::fabs(d));
        const unsigned __int128 qNext = static_cast<unsigned __int128>(a) * q + qPrev;
        if (qNext > limit)
            break;
        const unsigned __int128 pNext = static_cast<unsigned __int128>(a) * p + pPrev;
        qPrev = q, pPrev = p, dPrev = d;
        q = qNext, p = pNext;
        d = deltaOf(q, p);
    }
    mpfr_clears(alpha, delta, static_cast<mpfr_ptr>(nullptr));
    std::vector<std::pair<double, std::uint64_t>> found;
    const long double low = 0x1p52L, high = 0x1p53L;
    for (int b = -64; b <= 64; ++b) {
        const long double base = static_cast<long double>(b) * static_cast<long double>(qPrev);
        const long double aFirst = std::ceil((low - base) / static_cast<long double>(q));
        const long double aLast = std::floor((high - 1 - base) / static_cast<long double>(q));
        if (aFirst > aLast)
            continue;
        const long double best = std::round(-b * dPrev / d);
        for (long double a : {aFirst, aLast, best - 1, best, best + 1}) {
            if (a < aFirst || a > aLast)
                continue;
            const auto m = static_cast<std::uint64_t>(a * static_cast<long double>(q) + base);
            found.emplace_back(log2DistanceToHalfPi(m, e), m);
        }
    }
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    found.resize(std::min<size_t>(found.size(), static_cast<size_t>(keep)));
    return found;
}

int nearHalfPi(int keep) {
    std::printf("# The doubles closest to a multiple of π/2 in each binade from 1 to the largest\n"
                "# double (the continued fractions of 2^e·2/π, with MPFR): x, then log2 of its\n"
                "# distance in radians. Written by zmbr_crcheck near-half-pi %d.\n",
                keep);
    double closest = 0, closestX = 0;
    for (int e = -52; e <= 971; ++e)
        for (const auto& [log2Distance, m] : nearestInBinade(e, keep)) {
            const double x = std::ldexp(static_cast<double>(m), e);
            std::printf("%a %.3f\n", x, log2Distance);
            if (log2Distance < closest)
                closest = log2Distance, closestX = x;
        }
    int exponent = 0;
    const double mantissa = std::ldexp(std::frexp(closestX, &exponent), 53);
    std::fprintf(stderr, "closest of all: %a = %.0f·2^%d, 2^%.3f radians away\n", closestX,
                 mantissa, exponent - 53, closest);
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
    if (argc == 3 && std::strcmp(argv[1], "near-half-pi") == 0)
        return nearHalfPi(std::atoi(argv[2]));
    std::fprintf(stderr, "usage: zmbr_crcheck check cos|sin|tan|exp COUNT SEED\n"
                         "       zmbr_crcheck hard cos|sin|tan|exp COUNT KEEP SEED\n"
                         "       zmbr_crcheck near-half-pi KEEP\n");
    return 2;
}
