#!/usr/bin/env python3
"""ZMBR reference model: membrane panel in pure in-plane shear.

An independent, slow, plain-Python model of one analysis run.  It reads a
parameter file in any of its three layouts as the parameter window does,
executes it, runs the load-step analysis (angle search, inner equilibrium
iteration, bond analysis at the cracks) and writes the tau-gamma result
file byte for byte (code page 932, CR LF).

Precision: panel parameters are 32-bit floats (emulated with struct); the
solver works in doubles.  pi is the literal 3.1416 in every angle conversion.

Usage:
  zmbr_reference.py PANEL.mbr OUTPUT.TGC [--param-file-name NAME]
                    [--date MM-DD-YYYY] [--time HH:MM:SS] [--max-steps N]
  zmbr_reference.py --default OUTPUT.TGC ...
  zmbr_reference.py --selftest
"""

import argparse
import math

import rounded_functions as rounded  # cos, sin, tan, exp rounded correctly, as the program has them
import struct
import sys
from decimal import Context, Decimal, ROUND_HALF_UP

try:
    import numpy as np  # Debian's python3-numpy: long yield-zone walks in blocks
except ImportError:  # the plain walk alone gives the same numbers, only slower
    np = None

PSI_NO_BOND = 90 * 3.1416 / 180   # bars parallel to the principal compression (1.5707999999999998)
ANG_135 = 2.3562
LB_MAX = 300 * math.sqrt(2)

MAX_THETA_ITERATES = 9000


# ----------------------------------------------------------------------------
# single precision helpers
# ----------------------------------------------------------------------------

def f32(x):
    """Round a double to the nearest 32-bit float (inf on overflow)."""
    try:
        return struct.unpack('f', struct.pack('f', x))[0]
    except OverflowError:
        return math.copysign(math.inf, x)


def f32_text(x):
    """Shortest decimal text that reads back as the same 32-bit float."""
    if x == 0:
        return '0'
    for p in range(1, 10):
        s = '%.*g' % (p, x)
        if f32(float(s)) == x:
            break
    else:
        s = '%.9g' % x
    return format(Decimal(s).normalize(), 'f')


# ----------------------------------------------------------------------------
# number parsing and formatting
# ----------------------------------------------------------------------------

FLT_MAX = 3.4028234663852886e38
DBL_MAX = sys.float_info.max
EXACT = Context(prec=1000)   # room for every digit of any double


def scan_number(text):
    """Lenient leading-number parse: blanks, tabs and LF anywhere are skipped; an optional
    sign, digits, '.', digits, an exponent (E or D, sign, digits).  Returns (value, whole):
    whole tells whether the number took the whole text.  No digits gives 0.  A magnitude
    beyond the double range is the largest double (the program's choice), one below it 0."""
    s = ''.join(ch for ch in str(text) if ch not in ' \t\n')
    i, n = 0, len(s)
    sign = ''
    if i < n and s[i] in '+-':
        sign = s[i]
        i += 1
    digits = ''
    while i < n and '0' <= s[i] <= '9':
        digits += s[i]
        i += 1
    frac = ''
    if i < n and s[i] == '.':
        i += 1
        while i < n and '0' <= s[i] <= '9':
            frac += s[i]
            i += 1
    if not digits and not frac:
        return 0.0, False
    mant = sign + (digits or '0') + '.' + (frac or '0')
    if i < n and s[i] in 'EeDd':
        j = i + 1
        esign = ''
        if j < n and s[j] in '+-':
            esign = s[j]
            j += 1
        edig = ''
        while j < n and '0' <= s[j] <= '9':
            edig += s[j]
            j += 1
        if edig:
            mant += 'e' + esign + edig
            i = j
    v = float(mant)
    if math.isinf(v):
        v = math.copysign(DBL_MAX, v)
    return v, i == n


def parse_number(text):
    return scan_number(text)[0]


def field_float(x):
    """A parsed number stored in a 32-bit field.  Beyond the float range it is the largest
    float of its sign: the program's choice, so that no field holds an infinity."""
    if x != x:
        return 0.0
    if x > FLT_MAX:
        return FLT_MAX
    if x < -FLT_MAX:
        return -FLT_MAX
    return f32(x)


def shortest_text(value, single):
    return f32_text(value) if single else repr(float(value))


def format_number(value, pattern, single=False):
    """Format by a digit pattern ('0' always shown, '#' when significant).

    Rounding works on the shortest round-trip decimal text of the value
    (as a 32-bit float when single is true) with halves away from zero.
    """
    if value != value:
        return 'NaN'
    if math.isinf(value):
        return '-Inf' if value < 0 else 'Inf'
    if 'E' in pattern:
        return _format_scientific(value, pattern, single)
    # split: literal prefix, integer placeholders, decimals, literal suffix
    first = min([k for k, ch in enumerate(pattern) if ch in '#0.'] or [len(pattern)])
    prefix = pattern[:first]
    body = pattern[first:]
    end = 0
    while end < len(body) and body[end] in '#0.':
        end += 1
    suffix = body[end:]
    body = body[:end]
    if '.' in body:
        int_ph, dec_ph = body.split('.', 1)
    else:
        int_ph, dec_ph = body, ''
    ndec = len(dec_ph)
    min_int = len(int_ph) - int_ph.find('0') if '0' in int_ph else 0

    d = Decimal(shortest_text(value, single))
    q = d.quantize(Decimal(1).scaleb(-ndec), rounding=ROUND_HALF_UP, context=EXACT)
    negative = q < 0
    q = q.copy_abs()
    txt = format(q, 'f')
    if '.' in txt:
        ip, fp = txt.split('.')
    else:
        ip, fp = txt, ''
    ip = ip.lstrip('0')
    if len(ip) < min_int:
        ip = '0' * (min_int - len(ip)) + ip
    num = ip + ('.' + fp if ndec else '')
    if negative:
        k = prefix.rfind(' ')
        if k >= 0:
            prefix = prefix[:k] + '-' + prefix[k + 1:]
        else:
            prefix = '-' + prefix
    return prefix + num + suffix


def _format_scientific(value, pattern, single):
    """Pattern '0.0E+00': one decimal, signed exponent of at least two digits."""
    mant_ph, exp_ph = pattern.split('E', 1)
    ndec = len(mant_ph.split('.', 1)[1]) if '.' in mant_ph else 0
    exp_digits = len(exp_ph) - 1
    d = Decimal(shortest_text(value, single))
    if d == 0:
        return '0.' + '0' * ndec + 'E+' + '0' * exp_digits if ndec else '0E+' + '0' * exp_digits
    neg = d < 0
    d = abs(d)
    e = d.adjusted()
    m = d.scaleb(-e).quantize(Decimal(1).scaleb(-ndec), rounding=ROUND_HALF_UP)
    if m >= 10:
        e += 1
        m = d.scaleb(-e).quantize(Decimal(1).scaleb(-ndec), rounding=ROUND_HALF_UP)
    es = ('-' if e < 0 else '+') + str(abs(e)).zfill(exp_digits)
    return ('-' if neg else '') + format(m, 'f') + 'E' + es


def plain_number(value):
    """Plain-number text in the result file: ' 1 ', '-2.5 '."""
    t = f32_text(f32(value))
    if t.startswith('-'):
        return t + ' '
    return ' ' + t + ' '


# ----------------------------------------------------------------------------
# the parameter window, the parameter files, Execute
# ----------------------------------------------------------------------------

# Text field -> the value its change handling stores, and the limit rule of that value.
PANEL_TEXTS = {
    'Text16': ('initialTheta', 'angle'), 'Text4': ('axes', 'axes'),
    'Text5': ('layer', 'layer'), 'Text10': ('t', 'nonneg'), 'Text11': ('sm', 'nonneg'),
    'Text8': ('fc', 'nonpos'), 'Text9': ('epsC', 'nonpos'), 'Text12': ('Ec', 'nonneg'),
    'Text13': ('tauBy', 'nonneg'), 'Text14': ('sBy', 'nonneg'),
}
ROW_TEXTS = {
    'Text15': ('thetaR', 'angle'), 'Text2': ('Ar', None), 'Text3': ('s', None),
    'Text6': ('fru', None), 'Text7': ('Er', None),
}
# The window's texts after it has loaded, and the values they stand for.
START_TEXTS = {
    'Text1': 'Please input the comment', 'Text16': '45.00', 'Text4': '10', 'Text5': '1',
    'Text10': '15.00', 'Text11': '10.00', 'Text8': '-30.00', 'Text9': '-0.0020',
    'Text12': '24000', 'Text13': '15.00', 'Text14': '0.0035',
}
START_ROW_TEXTS = {'Text2': '1.000', 'Text3': '10.00', 'Text6': '2000', 'Text7': '35000'}
VERSIONED_PANEL_LINES = ['Text1', 'Text4', 'Text5', 'Text10', 'Text11', 'Text8', 'Text9',
                         'Text12', 'Text13', 'Text14']
HEADERLESS_ANGLES = {2: ['0.0', '90.0'], 3: ['0.0', '60.0', '120.0'],
                     4: ['0.0', '45.0', '90.0', '135.0']}


def apply_limit(v, rule):
    if rule == 'angle':
        return 180.0 if v > 180 else (0.0 if v < 0 else v)
    if rule == 'axes':
        return 10.0 if v > 10 else (1.0 if v < 1 else v)
    if rule == 'layer':
        return 1.0 if v < 1 else v
    if rule == 'nonneg':
        return 0.0 if v < 0 else v
    if rule == 'nonpos':
        return 0.0 if v > 0 else v
    return v


class Window:
    """The parameter window: each field's text, and the values its change handling keeps."""

    def __init__(self):
        self.texts = dict(START_TEXTS)
        self.values = {'comment': START_TEXTS['Text1'], 'optionOn': 0}
        for ctrl, (name, rule) in PANEL_TEXTS.items():
            self.values[name] = apply_limit(field_float(parse_number(self.texts[ctrl])), rule)
        self.rows = []
        for r in range(1, 11):
            texts = dict(START_ROW_TEXTS, Text15='0.0' if r <= 5 else '90.0', Combo1='rupture')
            values = {name: field_float(parse_number(texts[c])) for c, (name, _) in
                      ROW_TEXTS.items()}
            self.rows.append({'texts': texts, 'values': values})

    def set_text(self, ctrl, text, row=None):
        """An assignment of a field's text: a changed text raises its change handling."""
        texts = self.texts if row is None else self.rows[row]['texts']
        if texts.get(ctrl) == text:
            return
        texts[ctrl] = text
        if ctrl == 'Text1':
            self.values['comment'] = text
        elif ctrl in PANEL_TEXTS:
            name, rule = PANEL_TEXTS[ctrl]
            self.values[name] = apply_limit(field_float(parse_number(text)), rule)
        elif ctrl in ROW_TEXTS:
            name, rule = ROW_TEXTS[ctrl]
            self.rows[row]['values'][name] = apply_limit(field_float(parse_number(text)), rule)


class ReadFailure(Exception):
    pass


def decode_lines(lines):
    """The lines a layout reads, decoded together: the program writes CP932, so lines CP932
    can read are CP932; lines only UTF-8 can read were typed elsewhere."""
    joined = b''.join(l + b'\n' for l in lines)
    for encoding in ('cp932', 'utf-8'):
        try:
            joined.decode(encoding)
        except UnicodeDecodeError:
            continue
        return [l.decode(encoding) for l in lines]
    return [l.decode('cp932', errors='replace') for l in lines]


def split_lines(data):
    """A line ends at CR LF, CR or LF; a last line without an end counts when not empty.
    Neither CP932 nor UTF-8 uses those bytes inside a character, so bytes split as text does."""
    lines, cur, i = [], bytearray(), 0
    while i < len(data):
        ch = data[i]
        if ch in (13, 10):
            lines.append(bytes(cur))
            cur = bytearray()
            if ch == 13 and i + 1 < len(data) and data[i + 1] == 10:
                i += 1
        else:
            cur.append(ch)
        i += 1
    if cur:
        lines.append(bytes(cur))
    return lines


def read_parameter_file(win, data):
    """Puts the file's lines into the window's fields; raises ReadFailure (window untouched)
    for a file that does not hold a whole layout."""
    raw = split_lines(data)
    if not raw:
        raise ReadFailure('empty file')
    assignments = []   # (control, text, row or None); ('axes', value) sets axes directly
    if raw[0] in (b'Created by ZMBR3', b'Created by ZMBR2'):
        per_row = 6 if raw[0].endswith(b'3') else 5
        if len(raw) < 3:
            raise ReadFailure('no row count')
        axes = field_float(parse_number(raw[2].decode('latin-1')))
        if not 1 <= axes <= 10:
            raise ReadFailure('row count outside 1 to 10')
        n = int(math.floor(axes))
        if len(raw) < 13 + per_row * n:
            raise ReadFailure('file ends before its layout')
        lines = decode_lines(raw[:13 + per_row * n])   # lines beyond are never read
        at = 1
        for ctrl in VERSIONED_PANEL_LINES:
            assignments.append((ctrl, lines[at], None))
            at += 1
            if ctrl == 'Text4':
                assignments.append(('axes', axes, None))   # the count read stands
        for r in range(n):
            for ctrl in ('Text15', 'Text2', 'Text3', 'Text6', 'Text7'):
                assignments.append((ctrl, lines[at], r))
                at += 1
            if per_row == 6:
                assignments.append(('Combo1', lines[at], r))
                at += 1
            else:
                assignments.append(('Combo1', 'rupture', r))
        option = lines[at]
        assignments.append(('Text16', lines[at + 1], None))
    else:
        if len(raw) < 15:
            raise ReadFailure('headerless file of fewer than 15 lines')
        lines = decode_lines(raw[:15])
        nums = {}
        for k in (4, 7, 11, 12):
            v, whole = scan_number(lines[k - 1])
            if not whole:
                raise ReadFailure('line %d is not a number' % k)
            nums[k] = v
        if not 1 <= field_float(nums[4]) <= 10:
            raise ReadFailure('row count outside 1 to 10')
        if nums[12] == 0:
            raise ReadFailure('ratio Er / Ec of 0')
        for ctrl, k in (('Text1', 1), ('Text4', 4), ('Text5', 5), ('Text8', 8), ('Text9', 9),
                        ('Text10', 10)):
            assignments.append((ctrl, lines[k - 1], None))
        assignments.append(('Text11', format_number(1.4142135623730951 * nums[11], '##0.00'),
                            None))
        assignments.append(('Text12', format_number(nums[7] / nums[12], '#####0'), None))
        assignments.append(('Text13', lines[12], None))
        assignments.append(('Text14', lines[13], None))
        n = int(math.floor(field_float(nums[4])))
        angles = HEADERLESS_ANGLES.get(nums[4], ['90.0'] * n)
        for r in range(n):
            assignments.append(('Text15', angles[r], r))
            for ctrl, k in (('Text2', 2), ('Text3', 3), ('Text6', 6), ('Text7', 7)):
                assignments.append((ctrl, lines[k - 1], r))
            assignments.append(('Combo1', 'rupture', r))
        option = lines[14]
    # Only now does the window change: first the row fields are emptied.
    for r in range(10):
        for ctrl in ('Text15', 'Text2', 'Text3', 'Text6', 'Text7'):
            win.set_text(ctrl, '', r)
    for ctrl, text, row in assignments:
        if ctrl == 'axes':
            win.values['axes'] = text
        elif ctrl == 'Combo1':
            win.rows[row]['texts']['Combo1'] = text   # a drop-down box raises nothing
        else:
            win.set_text(ctrl, text, row)
    win.values['optionOn'] = 1 if option in ('Y', 'y') else 0


class Panel:
    pass


class Refused(Exception):
    pass


def execute(win):
    """Execute: re-read the fields without limit rules, derive each used row's failure mode
    and modular ratio, and refuse a panel that would divide by a field of 0."""
    p = Panel()
    v = win.values
    p.comment = v['comment']
    p.initialTheta = v['initialTheta']
    for ctrl in ('Text4', 'Text5', 'Text10', 'Text11', 'Text8', 'Text9', 'Text12', 'Text13',
                 'Text14'):
        setattr(p, PANEL_TEXTS[ctrl][0], field_float(parse_number(win.texts[ctrl])))
    p.naxes = int(math.floor(p.axes)) if p.axes >= 1 else 0
    p.naxes = min(p.naxes, 10)
    p.rows = []
    for r in range(p.naxes):
        texts = win.rows[r]['texts']
        row = {name: field_float(parse_number(texts[c])) for c, (name, _) in ROW_TEXTS.items()}
        row['failureMode'] = 1 if texts['Combo1'] == 'rupture' else 2
        row['modularRatio'] = f32(row['Er'] / p.Ec) if p.Ec != 0 else 0.0
        p.rows.append(row)
    zeros = [p.fc, p.epsC, p.layer, p.t, p.sm, p.Ec, p.sBy, p.tauBy]
    for row in p.rows:
        zeros += [row['s'], row['Ar'], row['Er']]
    if any(z == 0 for z in zeros):
        raise Refused()
    return p


# ----------------------------------------------------------------------------
# undefined numbers
# ----------------------------------------------------------------------------

class Stop(Exception):
    """The run ends in order at the current step (or before the first one)."""


def fin(v):
    """A value the run goes on with must be finite."""
    if not math.isfinite(v):
        raise Stop('not finite')
    return v


def div(n, d):
    """n / d; a divisor of 0 or infinity, or a quotient that is not finite, ends the run."""
    if d == 0 or not math.isfinite(d):
        raise Stop('divisor 0 or not finite')
    return fin(n / d)


# ----------------------------------------------------------------------------
# material laws
# ----------------------------------------------------------------------------

def concrete_tension(eps1, fc, epsC, ft, epsCr):
    if eps1 <= epsCr:
        return div(2 * fc * eps1, epsC)
    return ft / (1 + math.sqrt(200 * eps1))


def softened_strength(eps1, fc, epsC):
    fc2max = div(fc, div(-0.95 * eps1, epsC))
    if fc2max < fc:
        fc2max = fc
    return fc2max


def compressive_strain(fc2, fc2max, epsC):
    return epsC * (1 - math.sqrt(abs(1 - div(fc2, fc2max))))


def bar_stress(Er, fru, mode, epsR):
    """Returns (stress, yielded_now)."""
    fr = Er * epsR
    if mode == 2 and fr > fru:
        return fru, True
    return fr, False


# ----------------------------------------------------------------------------
# bond analysis at the cracks
# ----------------------------------------------------------------------------

def exp_fin(x):
    try:
        return fin(rounded.exp(x))
    except OverflowError:
        raise Stop('exp overflow')


def yield_zone_search(k, lb, Fbar, tauBy, sBy, nRho, EA, EAs2, ly):
    """The search for the yielded bond length ly: walk in 0.01 mm steps while |Pb| falls,
    turn where it does not, end on the evaluation after the third turn.  There is no limit
    on the iterations.  Returns (force at the crack, last ly evaluated).

    Each iterate is as the plain loop below computes it.  Long walks go faster through
    numpy: a block of iterates is evaluated at once (the running sums of ly by a sequential
    accumulate, the same IEEE operations, only exp from numpy instead of exp_fin), and the
    block's iterates up to the first comparison that is not clearly decided are taken as they
    are; that iterate and the state carried over are computed by the plain loop.
    """
    slip_force = div(EAs2, 1 + nRho)
    share = 1 + div(1, nRho)

    def residual(ly):
        a = exp_fin(k * (lb / 2 - ly))
        b = rounded.exp(-k * (lb / 2 + ly))
        T2 = div(a - b, a + b)
        Ply = div(lb * Fbar + tauBy * (ly * ly) + slip_force,
                  2 * ly + div(lb - 2 * ly, share))
        Pb = div(sBy * k, T2) + div(Ply - tauBy * (1 + nRho) * ly, EA)
        return Pb, Ply

    PbPrev = 1000000.0
    nRev = 0
    Psaved = 0.0
    direc = 1
    block = BLOCK_FIRST
    while True:
        if nRev < 3 and np is not None:
            taken = falling_block(k, lb, Fbar, tauBy, sBy, nRho, EA, slip_force, share,
                                  ly, direc, PbPrev, block)
            if taken > 0:
                # iterates 0 .. taken-1 of the block keep the direction
                for _ in range(taken - 1):
                    ly = ly + 0.01 * direc
                PbPrev, Psaved = residual(ly)
                ly = ly + 0.01 * direc
                block = min(block * 2, BLOCK_MOST) if taken == block else BLOCK_FIRST
                continue
            block = BLOCK_FIRST
        Pb, Ply = residual(ly)
        if nRev == 3:
            break
        if not abs(Pb) < abs(PbPrev):
            direc = -direc
            nRev += 1
        PbPrev = Pb
        Psaved = Ply
        ly = ly + 0.01 * direc
    return Psaved, ly


BLOCK_FIRST = 64
BLOCK_MOST = 1 << 18


def falling_block(k, lb, Fbar, tauBy, sBy, nRho, EA, slip_force, share, ly, direc, PbPrev, n):
    """How many of the n iterates from ly on clearly keep the direction (0: none known).

    numpy's exp may differ from the correctly rounded one by a few units in the last
    place; that moves tanh by at most g = 2r/(1 - r^2) times as much (r = e^(-k lb)) and Pb
    by that share of sby.k/T.  A comparison counts only where |Pb| falls by far more.
    """
    with np.errstate(all='ignore'):
        lys = np.add.accumulate(np.concatenate(([ly], np.full(n - 1, 0.01 * direc))))
        a = np.exp(k * (lb / 2 - lys))
        b = np.exp(-k * (lb / 2 + lys))
        T2 = (a - b) / (a + b)
        part = (lb - 2 * lys) / share
        D = 2 * lys + part
        Ply = (lb * Fbar + tauBy * (lys * lys) + slip_force) / D
        slip = (sBy * k) / T2
        Pb = slip + (Ply - tauBy * (1 + nRho) * lys) / EA
        # exp far from underflow and overflow, every value finite
        good = (a > 1e-290) & (b > 1e-290) & (a < 1e290) & np.isfinite(Pb) & np.isfinite(Ply) \
            & np.isfinite(slip) & np.isfinite(T2) & (T2 != 0) & np.isfinite(part) \
            & np.isfinite(D) & (D != 0)
        r = math.exp(-k * lb) if k * lb < 700 else 0.0
        if not r < 1:
            return 0
        g = 2 * r / ((1 - r) * (1 + r))
        tol = 1e-9 * np.abs(slip) * (1 + g) + 1e-14 * np.abs(Pb)
        prev = np.concatenate(([PbPrev], Pb[:-1]))
        prev_tol = np.concatenate(([0.0], tol[:-1]))
        clear = good & (np.abs(Pb) < np.abs(prev) - tol - prev_tol)
    if clear.all():
        return n
    first = int(np.argmin(clear))
    return first


def bond_row(fr, psi, theta, rhoR, row, sm, tauBy, sBy, ly_start):
    """Bar stress and strain at the crack for one row.

    Returns (frCr, epsRcr, ly_end).
    """
    Ar, Er = row['Ar'], row['Er']
    lb = None
    if fr >= 0 and psi != PSI_NO_BOND:
        lb = div(sm * fin(rounded.sin(ANG_135 - theta)), abs(fin(rounded.cos(psi))))
        if lb > LB_MAX:
            lb = None
    if lb is None:
        return fr, div(fr, Er), ly_start
    EA = f32(Er * Ar)                     # single precision products
    EAs = f32(EA * sBy)
    EAs2 = f32(f32(f32(2 * Er) * Ar) * sBy)
    nRho = row['modularRatio'] * rhoR
    Fbar = Ar * fr
    k2 = div(tauBy * (1 + nRho), EAs)
    if k2 < 0:
        raise Stop('the bond parameter k is the root of a negative number')
    k = math.sqrt(k2)
    ep = exp_fin(k * lb / 2)
    em = rounded.exp(-k * lb / 2)
    T = div(ep - em, ep + em)
    Pcr = div(lb * Fbar * (1 + nRho), nRho * lb + div(2, k * T))
    S = (ep - em) / 2
    C = (ep + em) / 2
    tauBmax = div(Pcr * k * S, (1 + nRho) * C)
    ly = ly_start
    if tauBmax > tauBy:
        fin(EAs2)
        fin(EA)
        Pcr, ly = yield_zone_search(k, lb, Fbar, tauBy, sBy, nRho, EA, EAs2, ly)
    frCr = div(Pcr, Ar)
    epsRcr = div(frCr, Er)
    return frCr, epsRcr, ly


# ----------------------------------------------------------------------------
# the run
# ----------------------------------------------------------------------------

def strain_cell(v):
    if v >= -5e-7:
        return '  ' + format_number(v, '0.000000')
    return ' ' + format_number(v, '#0.000000')


def header_lines(p, param_file_name, date, time):
    n = p.naxes
    l3 = 'τxy(MPa)      γxy       ε1       ε2     θ '
    for i in range(1, n + 1):
        l3 += ('   εr' if i == 10 else '    εr') + plain_number(i)
    for i in range(1, n + 1):
        l3 += (' εrcr' if i == 10 else '  εrcr') + plain_number(i)
    l4 = '    0.000  0.000000  0.000000  0.000000  45.00' + '  0.000000' * (2 * n)
    return ['τ-γ relationship created by ZMBR3, MBR file = ' + param_file_name +
            ', at ' + date + ', ' + time, p.comment, l3, l4]


class Result:
    def __init__(self):
        self.lines = ['Test output']   # what Execute's test write leaves until the run opens the file
        self.steps = 0
        self.end = ''
        self.taus = []


def solve_step(p, rs, eps1):
    """Angle search with inner iteration for one load step; fills rs.st."""
    fc, epsC, ft, epsCr = p.fc, p.epsC, rs.ft, rs.epsCr
    rows = p.rows
    n = len(rows)
    sumRhoX, sumRhoY = rs.sumRhoX, rs.sumRhoY
    thR = rs.thetaRad
    acos = [abs(fin(rounded.cos(t))) for t in thR]
    asin = [abs(fin(rounded.sin(t))) for t in thR]
    Er = [r['Er'] for r in rows]
    fru = [r['fru'] for r in rows]
    mode = [r['failureMode'] for r in rows]
    yielded = rs.yielded

    theta_iter = -1
    theta = rs.thetaStart
    fx = 0.0
    search_dir = 1
    reversals = 0
    psi = [0.0] * n
    epsR = [0.0] * n
    fr = [0.0] * n
    while True:
        theta_iter += 1
        if theta_iter >= MAX_THETA_ITERATES:
            raise Stop('more than %d theta iterates' % MAX_THETA_ITERATES)
        if not (theta > 0 and theta < PSI_NO_BOND):
            raise Stop('theta left (0, 90) degrees')
        fxPrev = fx
        for i in range(n):
            psi[i] = theta + 3.1416 / 2 - thR[i]
        cos2psi = [fin(rounded.cos(2 * ps)) for ps in psi]
        tn = fin(rounded.tan(theta))
        cot = div(1, tn)
        sumFriy = 0.0
        count = -1
        while True:
            sumFriyPrev = sumFriy
            count += 1
            fc1 = concrete_tension(eps1, fc, epsC, ft, epsCr)
            tauXY = div(fc1 + sumRhoY * sumFriyPrev, tn)
            fc2 = fc1 - tauXY * (tn + cot)
            fc2max = softened_strength(eps1, fc, epsC)
            status = 'NG' if fc2 < fc2max else 'OK'
            eps2 = compressive_strain(fc2, fc2max, epsC)
            epsY = (eps1 + eps2 * (tn * tn)) / (1 + tn * tn)
            fin(tauXY), fin(fc2), fin(eps2), fin(epsY)
            sumFriy = 0.0
            sumFrix = 0.0
            h1 = (eps1 + eps2) / 2
            h2 = (eps1 - eps2) / 2
            for i in range(n):
                e = h1 + h2 * cos2psi[i]
                epsR[i] = e
                f = Er[i] * e
                if mode[i] == 2 and f > fru[i]:
                    f = fru[i]
                    yielded[i] = 1
                fr[i] = f
                sumFrix = sumFrix + acos[i] * f
                sumFriy = sumFriy + asin[i] * f
            epsX = eps1 + eps2 - epsY
            fcx = fc1 - div(tauXY, tn)
            fx = fcx + sumRhoX * sumFrix
            gammaXY = div(2 * (epsX - eps2), tn)
            fin(sumFriy), fin(sumFrix), fin(fx), fin(gammaXY)
            if count > 100:
                status = 'NG'
                break
            if not abs(sumFriy - sumFriyPrev) > 0.1:
                break
        if reversals == 3:
            break
        if not (abs(fx) - abs(fxPrev) < 0):
            search_dir = -search_dir
            reversals += 1
        theta = theta + 0.01 * search_dir * 3.1416 / 180
    rs.st = dict(theta=theta, tauXY=tauXY, gammaXY=gammaXY, eps2=eps2,
                 status=status, psi=list(psi), epsR=list(epsR), fr=list(fr),
                 iterates=theta_iter + 1, passes=count + 1, fc2=fc2, fc2max=fc2max)


def set_up(p, rs):
    """The run's constants; raises Stop for one that cannot be computed."""
    if p.fc > 0:
        raise Stop('ft not finite')
    rs.ft = 0.33 * math.sqrt(-p.fc)
    rs.epsCr = div(rs.ft * p.epsC, 2 * p.fc)
    rs.sumRhoX = 0.0
    rs.sumRhoY = 0.0
    rs.rhoR = []
    rs.thetaRad = []
    for r in p.rows:
        fin(r['modularRatio'])
        ts = f32(p.t * r['s'])
        if ts == 0 or not math.isfinite(ts):
            raise Stop('t*s')
        rho = fin(f32(f32(r['Ar'] / ts) * p.layer))
        th = f32(r['thetaR'] * 3.1416 / 180)
        rs.rhoR.append(rho)
        rs.thetaRad.append(th)
        rs.sumRhoX += abs(fin(rounded.cos(th))) * rho
        rs.sumRhoY += abs(fin(rounded.sin(th))) * rho
    rs.thetaStart = p.initialTheta * 3.1416 / 180


def run(p, param_file_name, date, time, max_steps=10000, trace=None):
    res = Result()
    rs = Panel()
    rows = p.rows
    n = len(rows)
    row_type = ['RPT' if r['failureMode'] == 1 else 'YLD' for r in rows]
    rs.yielded = [0] * n
    step = 0
    try:
        set_up(p, rs)
        eps1 = 0.0
        dEps1 = 1e-5
        ly_row = [0.0] * n
        res.lines = header_lines(p, param_file_name, date, time)
        while True:
            step += 1
            if step > max_steps:
                res.end = 'step limit'
                step -= 1
                break
            eps1 = eps1 + dEps1
            if eps1 > 10 * rs.epsCr:
                eps1 = eps1 + 0.1 * step * dEps1
            solve_step(p, rs, eps1)
            st = rs.st
            run_end = 0
            fr_cr = [0.0] * n
            eps_rcr = [0.0] * n
            row_status = [''] * n
            ruptured = []
            for i, r in enumerate(rows):
                frc, erc, ly_row[i] = bond_row(
                    st['fr'][i], st['psi'][i], st['theta'], rs.rhoR[i], r,
                    p.sm, p.tauBy, p.sBy, ly_row[i])
                if r['failureMode'] == 1:
                    if frc > r['fru']:
                        row_status[i] = row_type[i]
                        run_end = 1
                        ruptured.append(i + 1)
                    else:
                        row_status[i] = 'OK'
                else:
                    if frc > r['fru']:
                        row_status[i] = row_type[i]
                        frc = r['fru']
                    else:
                        row_status[i] = row_type[i] if rs.yielded[i] == 1 else 'OK'
                fr_cr[i], eps_rcr[i] = frc, erc
            if st['status'] == 'NG':
                run_end = 1
            if trace:
                trace.write('step %d eps1 %.6g theta %.4f iterates %d passes %d tau %.5f '
                            'fc2 %.4f fc2max %.4f %s frCr %s\n' % (
                                step, eps1, st['theta'] * 180 / 3.1416, st['iterates'],
                                st['passes'], st['tauXY'], st['fc2'], st['fc2max'],
                                st['status'], ' '.join('%.1f' % v for v in fr_cr)))
            res.taus.append(st['tauXY'])
            if run_end == 0:
                line = (format_number(st['tauXY'], '    0.000') + ' ' +
                        format_number(st['gammaXY'], ' 0.000000') + ' ' +
                        format_number(eps1, ' 0.000000') + ' ' +
                        format_number(st['eps2'], '0.000000') + ' ' +
                        format_number(st['theta'] * 180 / 3.1416, ' ##0.00'))
                line += ''.join(strain_cell(v) for v in st['epsR'])
                line += ''.join(strain_cell(v) for v in eps_rcr)
                res.lines.append(line)
            else:
                res.lines.append('Concrete : ' + st['status'])
                res.lines.append('Reinforcements : ')
                res.lines.append(''.join(format_number(i + 1, ' #0') + ' ' + row_status[i] + ' '
                                         for i in range(n)))
                ends = []
                if st['status'] == 'NG':
                    ends.append('concrete NG')
                ends.extend('rupture of row %d' % i for i in ruptured)
                res.end = ' + '.join(ends)
                break
            rs.thetaStart = st['theta']
    except Stop as e:
        res.end = 'stopped: %s at step %d' % (e, step)
    res.steps = step
    return res


def write_result(path, lines):
    data = ''.join(l + '\r\n' for l in lines).encode('cp932', errors='replace')
    with open(path, 'wb') as f:
        f.write(data)


def run_parameter_file(data, param_file_name, date, time, max_steps=10000, trace=None):
    """A parameter file read as Open reads it, executed and run.  Returns the Result, or
    None for a file that cannot be read (no result file then)."""
    win = Window()
    try:
        read_parameter_file(win, data)
    except ReadFailure:
        return None
    try:
        p = execute(win)
    except Refused:
        res = Result()
        res.end = 'refused'
        return res
    return run(p, param_file_name, date, time, max_steps, trace)


# ----------------------------------------------------------------------------
# self test
# ----------------------------------------------------------------------------

def selftest():
    fails = []

    def check(name, got, want, tol=None):
        ok = (abs(got - want) <= tol) if tol is not None else (got == want)
        if not ok:
            fails.append('%s: got %r want %r' % (name, got, want))

    fmt_cases = [
        (0.125, '##0.00', False, '0.13'), (-1.25, '    0.000', False, '   -1.250'),
        (1.25, '    0.000', False, '    1.250'), (-0.0000004, '0.000000', False, '0.000000'),
        (-0.0004, '    0.000', False, '    0.000'), (45.0, ' ##0.00', False, ' 45.00'),
        (1234.5, '##0.00', False, '1234.50'), (1.5, '0.0E+00', False, '1.5E+00'),
        (1.0e-5, '0.0E+00', False, '1.0E-05'), (0.0, '0.0E+00', False, '0.0E+00'),
        (-0.000123, '#0.000000', False, '-0.000123'), (0.000125, ' 0.000000', False, ' 0.000125'),
        (10, ' #0', False, ' 10'), (1, ' #0', False, ' 1'), (24000, '#####0', False, '24000'),
        (f32(0.0035), '#0.0000', True, '0.0035'), (f32(-0.002), '#0.0000', True, '-0.0020'),
        (f32(1.23456), '#0.000', True, '1.235'), (f32(2.675), '##0.00', True, '2.68'),
        (2.675, '##0.00', False, '2.68'), (-30.0, '##0.00', False, '-30.00'),
        (6.0249e-5, '#0.000000', False, '0.000060'), (0.5, '#####0', False, '1'),
    ]
    for v, pat, single, want in fmt_cases:
        check('format %r %r' % (v, pat), format_number(v, pat, single), want)
    check('strain cell neg', strain_cell(-0.000123), ' -0.000123')
    check('strain cell pos', strain_cell(0.000123), '  0.000123')
    check('strain cell tiny', strain_cell(-0.0000004), '  0.000000')
    check('plain 10', plain_number(10), ' 10 ')
    check('plain 3.5', f32_text(f32(3.5)), '3.5')
    check('parse', parse_number(' -1 2.5e1x'), -125.0)
    check('parse D', parse_number('1.5D2'), 150.0)
    check('parse empty', parse_number('abc'), 0.0)

    d = execute(Window())
    check('modular ratio', d.rows[0]['modularRatio'], f32(1.4583334))
    fc, epsC = d.fc, d.epsC
    ft = 0.33 * math.sqrt(-fc)
    epsCr = ft * epsC / (2 * fc)
    check('ft', ft, 1.80748, 1e-5)
    check('epsCr', epsCr, 6.02495e-5, 1e-9)
    check('fc1(epsCr)', concrete_tension(epsCr, fc, epsC, ft, epsCr), ft, 1e-12)
    check('fc1(7e-5)', concrete_tension(7e-5, fc, epsC, ft, epsCr), 1.6162, 1e-4)
    check('fc1(0.001)', concrete_tension(0.001, fc, epsC, ft, epsCr), 1.2489, 1e-4)
    check('fc2max(0.002)', softened_strength(0.002, fc, epsC), -30.0)
    check('fc2max(0.01)', softened_strength(0.01, fc, epsC), -6.3158, 1e-4)
    check('fc2max(0.02)', softened_strength(0.02, fc, epsC), -3.1579, 1e-4)
    m = softened_strength(0.01, fc, epsC)
    check('eps2(peak)', compressive_strain(m, m, epsC), epsC, 1e-12)
    check('eps2(0)', compressive_strain(0.0, m, epsC), 0.0, 1e-15)
    check('eps2(half)', compressive_strain(m / 2, m, epsC), -0.00058579, 1e-8)
    check('eps2(1.5)', compressive_strain(1.5 * m, m, epsC), -0.00058579, 1e-8)
    check('yield 0.05', bar_stress(35000.0, 2000.0, 2, 0.05), (1750.0, False))
    check('yield 0.06', bar_stress(35000.0, 2000.0, 2, 0.06), (2000.0, True))
    check('yield -0.1', bar_stress(35000.0, 2000.0, 2, -0.1), (-3500.0, False))
    check('rupture 0.06', bar_stress(35000.0, 2000.0, 1, 0.06)[0], 2100.0, 1e-9)
    rho = f32(f32(d.rows[0]['Ar'] / f32(d.t * d.rows[0]['s'])) * d.layer)
    check('rhoR', rho, 0.0066667, 1e-7)
    check('rhoR text', format_number(rho, '#0.000000', True), '0.006667')
    # bond example: row at 90 degrees, theta 45 degrees, fr 10
    theta = 45 * 3.1416 / 180
    thr = f32(90 * 3.1416 / 180)
    psi = theta + 3.1416 / 2 - thr
    frc, erc, ly = bond_row(10.0, psi, theta, rho, d.rows[0], d.sm, d.tauBy, d.sBy, 0.0)
    check('bond frCr', frc, 24.1835, 1e-4)
    check('bond epsRcr', erc, 0.000690958, 1e-9)
    check('bond no search', ly, 0.0)
    frc, erc, ly = bond_row(20.0, psi, theta, rho, d.rows[0], d.sm, d.tauBy, d.sBy, 0.0)
    check('bond search ran', ly > 9, True)
    check('bond compressed', bond_row(-5.0, psi, theta, rho, d.rows[0], d.sm, d.tauBy,
                                      d.sBy, 0.0)[:2], (-5.0, -5.0 / 35000.0))
    if fails:
        print('SELFTEST FAILED')
        for f in fails:
            print('  ' + f)
        return 1
    print('selftest ok')
    return 0


# ----------------------------------------------------------------------------
# command line
# ----------------------------------------------------------------------------

def main(argv):
    ap = argparse.ArgumentParser(description='ZMBR reference model')
    ap.add_argument('panel', nargs='?', help='parameter file (any of the three layouts)')
    ap.add_argument('output', nargs='?')
    ap.add_argument('--default', action='store_true',
                    help='run the panel the parameter window starts with; OUTPUT only')
    ap.add_argument('--selftest', action='store_true')
    ap.add_argument('--param-file-name', default=None,
                    help='the name in the first line (default: the panel path as given)')
    ap.add_argument('--date', default='01-01-2000')
    ap.add_argument('--time', default='00:00:00')
    ap.add_argument('--max-steps', type=int, default=10000)
    ap.add_argument('--trace', action='store_true', help='per-step trace on stderr')
    a = ap.parse_args(argv)
    if a.selftest:
        return selftest()
    trace = sys.stderr if a.trace else None
    if a.default:
        output = a.output or a.panel
        if not output:
            ap.error('OUTPUT.TGC is required')
        res = run(execute(Window()), a.param_file_name or '', a.date, a.time, a.max_steps, trace)
    else:
        if not a.panel or not a.output:
            ap.error('PANEL.mbr and OUTPUT.TGC are required')
        output = a.output
        with open(a.panel, 'rb') as f:
            data = f.read()
        name = a.param_file_name if a.param_file_name is not None else a.panel
        res = run_parameter_file(data, name, a.date, a.time, a.max_steps, trace)
        if res is None:
            print('end=unreadable')
            return 2
    write_result(output, res.lines)
    tmax = max(res.taus) if res.taus else 0.0
    print('steps=%d end=%s max_tauxy=%s' % (res.steps, res.end, format_number(tmax, '##0.000')))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
