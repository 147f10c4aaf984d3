// The correctly rounded cos, sin, tan and exp against MPFR: the hardest-to-round arguments
// of tests/data/hard_to_round.txt, the doubles closest to multiples of π/2 of
// tests/data/near_half_pi.txt, the special and end cases, and random arguments over the
// whole domains, every binade up to the largest double (a longer check: tools/crcheck).
#include "numeric/correctly_rounded.h"
#include "numeric/double_bits.h"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <limits>
#include <random>
#include <sstream>
#include <string>

namespace {

using namespace zmbr::rounded;
using zmbr::bitsOf;
using zmbr::doubleOfBits;

struct Function {
    std::string name;
    double (*ours)(double);
    int (*mpfrFn)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);
};

const Function kFunctions[] = {{"cos", roundedCos, mpfr_cos},
                               {"sin", roundedSin, mpfr_sin},
                               {"tan", roundedTan, mpfr_tan},
                               {"exp", roundedExp, mpfr_exp}};

const Function& byName(const std::string& name) {
    for (const Function& f : kFunctions)
        if (f.name == name)
            return f;
    throw std::runtime_error("no function " + name);
}

// The double nearest f(x), subnormal results rounded once as IEEE does.
double reference(const Function& f, double x) {
    mpfr_set_emin(-1073);
    mpfr_set_emax(1024);
    mpfr_t in, out;
    mpfr_inits2(53, in, out, static_cast<mpfr_ptr>(nullptr));
    mpfr_set_d(in, x, MPFR_RNDN);
    mpfr_subnormalize(out, f.mpfrFn(out, in, MPFR_RNDN), MPFR_RNDN);
    const double r = mpfr_get_d(out, MPFR_RNDN);
    mpfr_clears(in, out, static_cast<mpfr_ptr>(nullptr));
    return r;
}

// Counts the arguments where f differs from MPFR by even one bit, naming the first few.
struct Tally {
    long count = 0, wrong = 0;
    void check(const Function& f, double x) {
        ++count;
        const double ours = f.ours(x), want = reference(f, x);
        if (bitsOf(ours) != bitsOf(want) && !(ours != ours && want != want) && ++wrong <= 10)
            ADD_FAILURE() << f.name << "(" << std::hexfloat << x << ") = " << ours << ", MPFR "
                          << want;
    }
};

TEST(CorrectlyRounded, HardestArgumentsOfTheDataFile) {
    std::ifstream file(ZMBR_TEST_DATA "/hard_to_round.txt");
    ASSERT_TRUE(file) << "tests/data/hard_to_round.txt is missing";
    Tally tally;
    std::string line, name, hex;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        std::istringstream(line) >> name >> hex;
        tally.check(byName(name), std::strtod(hex.c_str(), nullptr));
    }
    EXPECT_GT(tally.count, 800);
    EXPECT_EQ(tally.wrong, 0);
}

TEST(CorrectlyRounded, SpecialAndEndArguments) {
    const double inf = std::numeric_limits<double>::infinity();
    const double minSub = std::numeric_limits<double>::denorm_min();
    struct Case {
        const char* function;
        double x, want;
    } cases[] = {
        {"cos", 0.0, 1.0},
        {"cos", -0.0, 1.0},
        {"sin", -0.0, -0.0},
        {"tan", -0.0, -0.0},
        {"sin", minSub, minSub},
        {"tan", -minSub, -minSub},
        {"exp", 0.0, 1.0},
        {"exp", -0.0, 1.0},
        {"exp", 709.79, inf},
        {"exp", 1e308, inf},
        {"exp", inf, inf},
        {"exp", -inf, 0.0},
        {"exp", -746.0, 0.0},
        {"exp", -1e308, 0.0},
        {"exp", 0x1.62e42fefa39efp+9, 0x1.fffffffffff2ap+1023}, // the largest finite result
        {"exp", -0x1.74385446d71c3p+9, minSub},                 // the smallest subnormal
        {"exp", -0x1.74910d52d3051p+9, minSub},                 // just above half of it
        {"exp", -0x1.74910d52d3052p+9, 0.0},                    // just below half of it
    };
    for (const Case& c : cases) {
        const double got = byName(c.function).ours(c.x);
        EXPECT_EQ(bitsOf(got), bitsOf(c.want))
            << c.function << "(" << std::hexfloat << c.x << ") = " << got;
    }
    for (const Function& f : kFunctions)
        EXPECT_TRUE(f.ours(std::numeric_limits<double>::quiet_NaN()) != f.ours(0)) << f.name;
    // Either side of 16 radians, where the reduction changes, and the largest doubles.
    Tally tally;
    const double max = std::numeric_limits<double>::max();
    for (const char* name : {"cos", "sin", "tan"})
        for (double x :
             {16.0, -16.0, 0x1.fffffffffffffp+3, 0x1.0000000000001p+4, -0x1.0000000000001p+4,
              0x1p-28, 0x1.fffffffffffffp-29, max, -max, 0x1p1023, 0x1p53, 1e22})
            tally.check(byName(name), x);
    EXPECT_EQ(tally.wrong, 0);
    for (const char* name : {"cos", "sin", "tan"})
        for (double x : {inf, -inf})
            EXPECT_TRUE(byName(name).ours(x) != byName(name).ours(x)) << name << "(" << x << ")";
}

// For each binade from 1 to the largest double, the two doubles closest to a multiple of π/2:
// there the reduced argument is smallest, and its every bit counts.
TEST(CorrectlyRounded, ArgumentsClosestToMultiplesOfHalfPi) {
    std::ifstream file(ZMBR_TEST_DATA "/near_half_pi.txt");
    ASSERT_TRUE(file) << "tests/data/near_half_pi.txt is missing";
    Tally tally;
    std::string line, hex;
    double closest = 0;
    while (std::getline(file, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        double log2Distance = 0;
        std::istringstream(line) >> hex >> log2Distance;
        closest = std::min(closest, log2Distance);
        const double x = std::strtod(hex.c_str(), nullptr);
        for (const Function& f : kFunctions)
            if (f.name != "exp") {
                tally.check(f, x);
                tally.check(f, -x);
            }
    }
    EXPECT_GT(tally.count, 6 * 2000);
    EXPECT_LT(closest, -60.8); // 6381956970095103·2^797, the closest of all doubles
    EXPECT_EQ(tally.wrong, 0);
}

// Random arguments: uniform over the domain, spread over the exponents, and at the ends; for
// cos, sin and tan, half of them past 16 radians, over every binade up to the largest double.
TEST(CorrectlyRounded, RandomArgumentsAgreeWithMpfr) {
    std::mt19937_64 rng(2024);
    std::uniform_real_distribution<double> unit(0, 1);
    for (const Function& f : kFunctions) {
        const bool isExp = f.name == "exp";
        Tally tally;
        int binades[1024] = {};
        for (int i = 0; i < 100000; ++i) {
            const double sign = rng() & 1 ? -1 : 1, u = unit(rng);
            double x;
            switch (isExp ? i % 4 : i % 8) {
            case 0:
                x = isExp ? -745.2 + u * 1455 : sign * u * 16;
                break;
            case 1:
                x = sign *
                    doubleOfBits(bitsOf(1 + u) - (static_cast<std::uint64_t>(rng() % 80) << 52)) *
                    (isExp ? 512 : 8);
                break;
            case 2:
                x = isExp ? (rng() & 1 ? 700 + u * 10 : -745.2 + u * 40) : sign * (16 - u * 0.5);
                break;
            case 3:
                x = sign * u * (isExp ? 40 : 6.3);
                break;
            default: { // a random double of a binade from 2^4 to 2^1023, each alike
                const int e = 4 + static_cast<int>(rng() % 1020);
                ++binades[e];
                x = sign *
                    doubleOfBits((static_cast<std::uint64_t>(e + 1023) << 52) | (rng() >> 12));
            }
            }
            tally.check(f, x);
        }
        EXPECT_EQ(tally.wrong, 0) << f.name;
        for (int e = 4; e <= 1023 && !isExp; ++e)
            EXPECT_GT(binades[e], 0) << f.name << ": no argument in the binade of 2^" << e;
    }
}

} // namespace
