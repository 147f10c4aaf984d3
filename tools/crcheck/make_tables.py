#!/usr/bin/env python3
"""Writes src/numeric/correctly_rounded_tables.txt: the constants and tables of the correctly
rounded cos, sin, tan and exp, computed with MPFR (gmpy2) at 2000 bits and rounded once. The
build turns the file into numeric/correctly_rounded_tables.h (tools/codegen/numeric_tables.py).

Usage: python3 tools/crcheck/make_tables.py [src/numeric/correctly_rounded_tables.txt]
"""
import sys

import gmpy2
from gmpy2 import mpfr

gmpy2.get_context().precision = 2000
PI = gmpy2.const_pi()
LN2 = gmpy2.const_log2()

HEADER = """\
# The constants and tables of numeric/correctly_rounded.cpp, numeric/precise_fallback.cpp and
# numeric/payne_hanek.cpp; written by tools/crcheck/make_tables.py (MPFR at 2000 bits, each
# value rounded once). The build writes them out as numeric/correctly_rounded_tables.h.
# A block is its comment lines ("// ..."), a declaration ("double NAME", "double NAME[N]",
# "double NAME[N][2]" or "uint32 NAME[N]") and its values in hexadecimal, one row of a
# two-column table or up to six words a line; blocks are parted by blank lines.
"""


def hexd(v):
    return float(v).hex()


def dd(v):
    hi = mpfr(float(v))
    return f"{hexd(hi)} {hexd(v - hi)}"


def pieces(v, bits):
    """v as a sum of doubles; all but the last have `bits` significant bits, so that a small
    integer times them is exact."""
    out = []
    rest = v
    for b in bits:
        with gmpy2.local_context(gmpy2.get_context(), precision=b, round=gmpy2.RoundToZero):
            p = +rest
        out.append(p)
        rest = rest - p
    out.append(mpfr(float(rest)))
    return out


def limbs(v, count):
    """v in [0, 2^32) as 32-bit limbs: the integer part, then count fraction limbs, truncated."""
    n = int(gmpy2.floor(v * mpfr(2) ** (32 * count)))
    return [(n >> (32 * (count - i))) & 0xFFFFFFFF for i in range(count + 1)]


def words(values):
    return [" ".join(f"0x{x:08x}" for x in values[i:i + 6]) for i in range(0, len(values), 6)]


def blocks():
    yield ["// π/512 = kPi512[0] + kPi512[1] + kPi512[2]; the first two have 41 bits, so n·them "
           "is exact for n < 2^12.",
           "double kPi512[3]", " ".join(hexd(x) for x in pieces(PI / 512, [41, 41]))]
    yield ["// 512/π, rounded.", "double kInvPi512", hexd(512 / PI)]
    yield ["// π/512 as a double-double (hi, lo), |error| < 2^-106·π/512.",
           "double kPi512Pair[2]", dd(PI / 512)]
    yield ["// ln2/128 = kLn2by128[0] + kLn2by128[1] + kLn2by128[2]; the first two have 35 bits, "
           "so n·them is exact for n < 2^18.",
           "double kLn2by128[3]", " ".join(hexd(x) for x in pieces(LN2 / 128, [35, 35]))]
    yield ["// 128/ln2, rounded.", "double kInv128Ln2", hexd(128 / LN2)]
    yield ["// sin(jπ/512) for j = 0 … 256 as double-doubles (hi, lo), |error| < 2^-106·|value|.",
           "double kSinTable[257][2]"] + [dd(gmpy2.sin(PI * j / 512)) for j in range(257)]
    yield ["// 2^(j/128) for j = 0 … 127 as double-doubles (hi, lo), |error| < 2^-106·|value|.",
           "double kExp2Table[128][2]"] + [dd(gmpy2.exp2(mpfr(j) / 128)) for j in range(128)]
    for name, what, v in (("kHalfPiWords", "π/2", PI / 2), ("kLn2Words", "ln 2", LN2)):
        yield [f"// {what} in 32-bit limbs: the integer part, then 16 fraction limbs (truncated).",
               f"uint32 {name}[17]"] + words(limbs(v, 16))
    # Enough for the largest double's 2^971 · 53-bit integer, and 19 words past its point.
    count = 52
    yield ["// The fraction of 2/π in 32-bit words, most significant first: word j holds the bits",
           "// of weight 2^-(32j+1) … 2^-(32j+32) (truncated).",
           f"uint32 kTwoOverPiWords[{count}]"] + words(limbs(2 / PI, count)[1:])


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else "src/numeric/correctly_rounded_tables.txt"
    with open(target, "w", encoding="utf-8", newline="\n") as out:
        out.write(HEADER + "\n" + "\n\n".join("\n".join(b) for b in blocks()) + "\n")


if __name__ == "__main__":
    main()
