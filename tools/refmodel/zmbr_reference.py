#!/usr/bin/env python3
"""ZMBR reference model: membrane panel in pure in-plane shear.

An independent, slow, plain-Python model of one analysis run.  It reads a
panel from a small JSON file, runs the load-step analysis (angle search,
inner equilibrium iteration, bond analysis at the cracks) and writes the
tau-gamma result file byte for byte (code page 932, CR LF).

Precision: panel parameters are 32-bit floats (emulated with struct); the
solver works in doubles.  pi is the literal 3.1416 in every angle conversion.

Usage:
  zmbr_reference.py INPUT.json OUTPUT.TGC --param-file-name NAME
                    --date MM-DD-YYYY --time HH:MM:SS [--max-steps N]
  zmbr_reference.py --default OUTPUT.TGC ...
  zmbr_reference.py --selftest
"""

import argparse
import json
import math
import struct
import sys
from decimal import Decimal, ROUND_HALF_UP

PSI_NO_BOND = 90 * 3.1416 / 180   # bars parallel to the principal compression (1.5707999999999998)
ANG_135 = 2.3562
LB_MAX = 300 * math.sqrt(2)

MAX_THETA_ITERATES = 9000
MAX_YIELD_ZONE_ITERATIONS = 100000


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

def parse_number(text):
    """Lenient leading-number parse: blanks/tabs/LF skipped, stops at first other char, '' -> 0."""
    s = ''.join(ch for ch in str(text) if ch not in ' \t\n')
    i, n = 0, len(s)
    out = ''
    if i < n and s[i] in '+-':
        out += s[i]
        i += 1
    digits = ''
    while i < n and s[i].isdigit():
        digits += s[i]
        i += 1
    frac = ''
    if i < n and s[i] == '.':
        j = i + 1
        while j < n and s[j].isdigit():
            frac += s[j]
            j += 1
        i = j
    if not digits and not frac:
        return 0.0
    mant = out + (digits or '0') + '.' + (frac or '0')
    if i < n and s[i] in 'EeDd':
        j = i + 1
        esign = ''
        if j < n and s[j] in '+-':
            esign = s[j]
            j += 1
        edig = ''
        while j < n and s[j].isdigit():
            edig += s[j]
            j += 1
        if edig:
            mant += 'e' + esign + edig
    return float(mant)


def shortest_text(value, single):
    return f32_text(value) if single else repr(float(value))


def format_number(value, pattern, single=False):
    """Format by a digit pattern ('0' always shown, '#' when significant).

    Rounding works on the shortest round-trip decimal text of the value
    (as a 32-bit float when single is true) with halves away from zero.
    """
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
    q = d.quantize(Decimal(1).scaleb(-ndec), rounding=ROUND_HALF_UP)
    negative = q < 0
    q = abs(q)
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
# panel input
# ----------------------------------------------------------------------------

PANEL_FIELDS = {
    # name: (default, display pattern, limit rule)
    'initialTheta': (45.0, '##0.00', 'angle'),
    'axes': (10.0, None, 'axes'),
    'layer': (1.0, None, 'layer'),
    't': (15.0, '##0.00', 'nonneg'),
    'sm': (10.0, '##0.00', 'nonneg'),
    'fc': (-30.0, '##0.00', 'nonpos'),
    'epsC': (-0.002, '#0.0000', 'nonpos'),
    'Ec': (24000.0, '#####0', 'nonneg'),
    'tauBy': (15.0, '##0.00', 'nonneg'),
    'sBy': (0.0035, '#0.0000', 'nonneg'),
}
ROW_FIELDS = {
    'thetaR': (None, '###0.0', 'angle'),
    'Ar': (1.0, '#0.000', None),
    's': (10.0, '##0.00', None),
    'fru': (2000.0, '#####0', None),
    'Er': (35000.0, '#####0', None),
}


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


def field_value(raw, default, pattern, rule, window_rounding):
    """Value as the parameter window stores it: parse, limit, and (after the
    field is left) the displayed text read back."""
    if raw is None:
        raw = default
    v = f32(parse_number(raw)) if isinstance(raw, str) else f32(float(raw))
    v = f32(apply_limit(v, rule))
    if window_rounding:
        text = format_number(v, pattern, single=True) if pattern else f32_text(v)
        v = f32(parse_number(text))
    return v


class Panel:
    pass


def load_panel(data, window_rounding=True):
    p = Panel()
    p.comment = data.get('comment', 'Please input the comment')
    for name, (default, pattern, rule) in PANEL_FIELDS.items():
        setattr(p, name, field_value(data.get(name), default, pattern, rule, window_rounding))
    rows = data.get('rows', [])
    p.naxes = int(math.floor(p.axes))
    p.rows = []
    for r in range(1, p.naxes + 1):
        src = rows[r - 1] if r - 1 < len(rows) else {}
        row = {}
        for name, (default, pattern, rule) in ROW_FIELDS.items():
            if name == 'thetaR' and default is None:
                default = 0.0 if r <= 5 else 90.0
            row[name] = field_value(src.get(name), default, pattern, rule, window_rounding)
        row['failureMode'] = 1 if src.get('failureMode', 'rupture') == 'rupture' else 2
        # modular ratio Er/Ec as a 32-bit float
        row['modularRatio'] = f32(row['Er'] / p.Ec) if p.Ec != 0 else math.inf
        p.rows.append(row)
    return p


# ----------------------------------------------------------------------------
# material laws
# ----------------------------------------------------------------------------

def concrete_tension(eps1, fc, epsC, ft, epsCr):
    if eps1 <= epsCr:
        return 2 * fc * eps1 / epsC
    return ft / (1 + math.sqrt(200 * eps1))


def softened_strength(eps1, fc, epsC):
    fc2max = fc / (-0.95 * eps1 / epsC)
    if fc2max < fc:
        fc2max = fc
    return fc2max


def compressive_strain(fc2, fc2max, epsC):
    return epsC * (1 - math.sqrt(abs(1 - fc2 / fc2max)))


def bar_stress(Er, fru, mode, epsR):
    """Returns (stress, yielded_now)."""
    fr = Er * epsR
    if mode == 2 and fr > fru:
        return fru, True
    return fr, False


# ----------------------------------------------------------------------------
# bond analysis at the cracks
# ----------------------------------------------------------------------------

class Stop(Exception):
    pass


def finite(*vals):
    for v in vals:
        if not math.isfinite(v):
            raise Stop('non-finite value')


def bond_row(fr, psi, theta, rhoR, row, sm, tauBy, sBy, ly_start, budget):
    """Bar stress and strain at the crack for one row.

    Returns (frCr, epsRcr, ly_end, iterations_used).
    """
    Ar, Er = row['Ar'], row['Er']
    lb = None
    if fr >= 0 and psi != PSI_NO_BOND:
        lb = sm * math.sin(ANG_135 - theta) / abs(math.cos(psi))
        finite(lb)
        if lb > LB_MAX:
            lb = None
    if lb is None:
        return fr, fr / Er, ly_start, 0
    EA = f32(Er * Ar)                     # single precision products
    EAs = f32(EA * sBy)
    EAs2 = f32(f32(f32(2 * Er) * Ar) * sBy)
    nRho = row['modularRatio'] * rhoR
    Fbar = Ar * fr
    k = math.sqrt(tauBy * (1 + nRho) / EAs)
    ep = math.exp(k * lb / 2)
    em = math.exp(-k * lb / 2)
    T = (ep - em) / (ep + em)
    Pcr = lb * Fbar * (1 + nRho) / (nRho * lb + 2 / (k * T))
    S = (ep - em) / 2
    C = (ep + em) / 2
    tauBmax = Pcr * k * S / ((1 + nRho) * C)
    finite(k, T, Pcr, tauBmax)
    ly = ly_start
    used = 0
    if tauBmax > tauBy:
        PbPrev = 1000000.0
        nRev = 0
        Psaved = 0.0
        direc = 1
        while True:
            used += 1
            if used > budget:
                raise Stop('yield-zone iteration limit')
            a = math.exp(k * (lb / 2 - ly))
            b = math.exp(-k * (lb / 2 + ly))
            T2 = (a - b) / (a + b)
            Ply = (lb * Fbar + tauBy * (ly * ly) + EAs2 / (1 + nRho)) / \
                  (2 * ly + (lb - 2 * ly) / (1 + 1 / nRho))
            Pb = sBy * k / T2 + (Ply - tauBy * (1 + nRho) * ly) / EA
            finite(T2, Ply, Pb)
            if nRev == 3:
                break
            if not abs(Pb) < abs(PbPrev):
                direc = -direc
                nRev += 1
            PbPrev = Pb
            Psaved = Ply
            ly = ly + 0.01 * direc
        Pcr = Psaved
    frCr = Pcr / Ar
    epsRcr = frCr / Er
    finite(frCr, epsRcr)
    return frCr, epsRcr, ly, used


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
        self.lines = []
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
    acos = [abs(math.cos(t)) for t in thR]
    asin = [abs(math.sin(t)) for t in thR]
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
        cos2psi = [math.cos(2 * ps) for ps in psi]
        tn = math.tan(theta)
        sumFriy = 0.0
        count = -1
        while True:
            sumFriyPrev = sumFriy
            count += 1
            fc1 = concrete_tension(eps1, fc, epsC, ft, epsCr)
            tauXY = (fc1 + sumRhoY * sumFriyPrev) / tn
            fc2 = fc1 - tauXY * (tn + 1 / tn)
            fc2max = softened_strength(eps1, fc, epsC)
            status = 'NG' if fc2 < fc2max else 'OK'
            eps2 = compressive_strain(fc2, fc2max, epsC)
            epsY = (eps1 + eps2 * (tn * tn)) / (1 + tn * tn)
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
            fcx = fc1 - tauXY / tn
            fx = fcx + sumRhoX * sumFrix
            gammaXY = 2 * (epsX - eps2) / tn
            finite(tauXY, fc2, eps2, epsY, sumFriy, sumFrix, fx, gammaXY)
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


def run(p, param_file_name, date, time, max_steps=10000, trace=None):
    res = Result()
    rs = Panel()
    rows = p.rows
    n = len(rows)
    row_type = ['RPT' if r['failureMode'] == 1 else 'YLD' for r in rows]
    rs.yielded = [0] * n
    step = 0
    try:
        rs.ft = 0.33 * math.sqrt(-p.fc)
        if p.fc == 0 or p.epsC == 0:
            raise Stop('non-finite value')
        rs.epsCr = rs.ft * p.epsC / (2 * p.fc)
        rs.sumRhoX = 0.0
        rs.sumRhoY = 0.0
        rs.rhoR = []
        rs.thetaRad = []
        for r in rows:
            if p.t == 0 or r['s'] == 0 or not math.isfinite(r['modularRatio']):
                raise Stop('non-finite value')
            rho = f32(f32(r['Ar'] / f32(p.t * r['s'])) * p.layer)
            th = f32(r['thetaR'] * 3.1416 / 180)
            rs.rhoR.append(rho)
            rs.thetaRad.append(th)
            rs.sumRhoX += abs(math.cos(th)) * rho
            rs.sumRhoY += abs(math.sin(th)) * rho
        finite(rs.ft, rs.epsCr, rs.sumRhoX, rs.sumRhoY)
        eps1 = 0.0
        dEps1 = 1e-5
        rs.thetaStart = p.initialTheta * 3.1416 / 180
        ly_row = [0.0] * n
        res.lines.extend(header_lines(p, param_file_name, date, time))
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
            budget = MAX_YIELD_ZONE_ITERATIONS
            fr_cr = [0.0] * n
            eps_rcr = [0.0] * n
            row_status = [''] * n
            ruptured = []
            for i, r in enumerate(rows):
                frc, erc, ly_row[i], used = bond_row(
                    st['fr'][i], st['psi'][i], st['theta'], rs.rhoR[i], r,
                    p.sm, p.tauBy, p.sBy, ly_row[i], budget)
                budget -= used
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
    except (ZeroDivisionError, OverflowError, ValueError):
        res.end = 'stopped: non-finite value at step %d' % step
    res.steps = step
    return res


def write_result(path, lines):
    data = ''.join(l + '\r\n' for l in lines).encode('cp932', errors='replace')
    with open(path, 'wb') as f:
        f.write(data)


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

    d = load_panel({})
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
    frc, erc, ly, used = bond_row(10.0, psi, theta, rho, d.rows[0], d.sm, d.tauBy, d.sBy, 0.0, 10)
    check('bond frCr', frc, 24.1835, 1e-4)
    check('bond epsRcr', erc, 0.000690958, 1e-9)
    check('bond no search', used, 0)
    frc, erc, ly, used = bond_row(20.0, psi, theta, rho, d.rows[0], d.sm, d.tauBy, d.sBy, 0.0, 100000)
    check('bond search ran', used > 0, True)
    check('bond compressed', bond_row(-5.0, psi, theta, rho, d.rows[0], d.sm, d.tauBy,
                                      d.sBy, 0.0, 10)[:2], (-5.0, -5.0 / 35000.0))
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
    ap.add_argument('input', nargs='?')
    ap.add_argument('output', nargs='?')
    ap.add_argument('--default', action='store_true', help='run the default panel')
    ap.add_argument('--selftest', action='store_true')
    ap.add_argument('--param-file-name', default='')
    ap.add_argument('--date', default='01-01-2000')
    ap.add_argument('--time', default='00:00:00')
    ap.add_argument('--max-steps', type=int, default=10000)
    ap.add_argument('--trace', action='store_true', help='per-step trace on stderr')
    ap.add_argument('--raw-values', action='store_true',
                    help='use the JSON values as they are, without the window display rounding')
    a = ap.parse_args(argv)
    if a.selftest:
        return selftest()
    if a.default:
        if a.output is None:
            a.output = a.input
        data = {}
    else:
        if not a.input or not a.output:
            ap.error('INPUT.json and OUTPUT.TGC are required')
        with open(a.input, encoding='utf-8') as f:
            data = json.load(f)
    if not a.output:
        ap.error('OUTPUT.TGC is required')
    p = load_panel(data, window_rounding=not a.raw_values)
    res = run(p, a.param_file_name, a.date, a.time, a.max_steps,
              sys.stderr if a.trace else None)
    write_result(a.output, res.lines)
    tmax = max(res.taus) if res.taus else 0.0
    print('steps=%d end=%s max_tauxy=%s' % (res.steps, res.end, format_number(tmax, '##0.000')))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
