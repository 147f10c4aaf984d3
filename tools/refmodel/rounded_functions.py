"""cos, sin, tan and exp of a float rounded correctly (to the nearest float, ties to even),
as the program computes them: MPFR (through gmpy2) at 53 bits, with the exponent range of
IEEE doubles so that exp's subnormal results are rounded once and its overflow gives inf.

MPFR reduces any angle exactly, however large: every finite float has its cos, sin and tan."""
import gmpy2

_CONTEXT = gmpy2.context(precision=53, round=gmpy2.RoundToNearest, emin=-1073, emax=1024,
                         subnormalize=True)


def cos(x):
    return float(_CONTEXT.cos(x))


def sin(x):
    return float(_CONTEXT.sin(x))


def tan(x):
    return float(_CONTEXT.tan(x))


def exp(x):
    return float(_CONTEXT.exp(x))
