"""cos, sin, tan and exp of a float rounded correctly (to the nearest float, ties to even),
as the program computes them: MPFR (through gmpy2) at 53 bits, with the exponent range of
IEEE doubles so that exp's subnormal results are rounded once and its overflow gives inf.

The circular functions take |x| <= 16 only and return NaN past it (the run stops on it)."""
import gmpy2

_CONTEXT = gmpy2.context(precision=53, round=gmpy2.RoundToNearest, emin=-1073, emax=1024,
                         subnormalize=True)
CIRCULAR_LIMIT = 16.0


def _circular(function, x):
    if not abs(x) <= CIRCULAR_LIMIT:
        return float('nan')
    return float(function(x))


def cos(x):
    return _circular(_CONTEXT.cos, x)


def sin(x):
    return _circular(_CONTEXT.sin, x)


def tan(x):
    return _circular(_CONTEXT.tan, x)


def exp(x):
    return float(_CONTEXT.exp(x))
