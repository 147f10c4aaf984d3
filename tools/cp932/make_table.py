#!/usr/bin/env python3
"""Writes src/platform/cp932.map: code page 932 as glibc's iconv "CP932" converts it.

Usage: python3 tools/cp932/make_table.py [src/platform/cp932.map]

glibc's iconv is the reference and is called through ctypes, one character at a time. Python's
own "cp932" codec differs from it (it decodes 0x80, 0xA0 and 0xFD-0xFF, and prefers other codes
for characters with two), so it is only compared against and the differences are listed on
stderr.
"""
import ctypes
import ctypes.util
import sys

HEADER = """\
# Code page 932 as glibc's iconv "CP932" converts it; written by tools/cp932/make_table.py.
# All numbers are hexadecimal.
# Decoding: "CODE CP CP ..." gives the code points that CODE and the codes after it
# decode to; "CP+N" stands for CP and the N code points after it, for as many codes.
# A code in no line does not decode.
# Encoding: a code point encodes to the one code that decodes to it, except for the lines
# "=CP CODE" (the code of a code point with several codes or none) and "=CP+N -" (code
# points that leave nothing in the output). Any other code point has no code.
"""


class Iconv:
    def __init__(self, to, frm):
        self.libc = ctypes.CDLL(ctypes.util.find_library("c"), use_errno=True)
        self.libc.iconv_open.restype = ctypes.c_void_p
        self.libc.iconv_open.argtypes = [ctypes.c_char_p, ctypes.c_char_p]
        self.libc.iconv.restype = ctypes.c_size_t
        self.libc.iconv.argtypes = [ctypes.c_void_p] + [ctypes.c_void_p] * 4
        self.cd = self.libc.iconv_open(to.encode(), frm.encode())
        if self.cd in (None, ctypes.c_void_p(-1).value):
            sys.exit(f"iconv has no conversion from {frm} to {to}")

    def __call__(self, data):
        """The whole of `data` converted, or None when iconv stops at an error."""
        self.libc.iconv(self.cd, None, None, None, None)
        src = ctypes.create_string_buffer(data, len(data))
        dst = ctypes.create_string_buffer(64)
        src_ptr, src_left = ctypes.c_void_p(ctypes.addressof(src)), ctypes.c_size_t(len(data))
        dst_ptr, dst_left = ctypes.c_void_p(ctypes.addressof(dst)), ctypes.c_size_t(64)
        rc = self.libc.iconv(self.cd, ctypes.byref(src_ptr), ctypes.byref(src_left),
                             ctypes.byref(dst_ptr), ctypes.byref(dst_left))
        if rc == ctypes.c_size_t(-1).value or src_left.value:
            return None
        return dst.raw[:64 - dst_left.value]


def code_points(utf32):
    return [int.from_bytes(utf32[i:i + 4], "little") for i in range(0, len(utf32), 4)]


def glibc_tables():
    decode = Iconv("UTF-32LE", "CP932")
    encode = Iconv("CP932", "UTF-32LE")
    decoded = {}  # code (byte or lead * 256 + trail) -> code point
    for code in range(0x10000):
        if code >= 0x100 and (code >> 8) in decoded:
            continue  # a byte that is a character alone leads no pair
        data = bytes([code]) if code < 0x100 else code.to_bytes(2, "big")
        out = decode(data)
        if out is not None:
            cps = code_points(out)
            assert len(cps) == 1, (hex(code), cps)
            decoded[code] = cps[0]
    encoded = {}  # code point -> code, or None for a code point dropped from the output
    for cp in [*range(0xD800), *range(0xE000, 0x110000)]:
        out = encode(cp.to_bytes(4, "little"))
        if out is not None:
            assert len(out) <= 2, (hex(cp), out)
            encoded[cp] = int.from_bytes(out, "big") if out else None
    return decoded, encoded


def shown(value):
    return f"{value:X}" if isinstance(value, int) else str(value)


def compare_with_python(decoded, encoded):
    for code in range(0x10000):
        if code >= 0x100 and (code >> 8) in decoded:
            continue
        data = bytes([code]) if code < 0x100 else code.to_bytes(2, "big")
        try:
            text = data.decode("cp932")
            python = ord(text) if len(text) == 1 else "none"  # a pair read as two bytes
        except UnicodeDecodeError:
            python = "none"
        glibc = decoded.get(code, "none")
        if python != glibc:
            print(f"decode {code:X}: glibc {shown(glibc)}, Python {shown(python)}",
                  file=sys.stderr)
    for cp in [*range(0xD800), *range(0xE000, 0x110000)]:
        try:
            python = int.from_bytes(chr(cp).encode("cp932"), "big")
        except UnicodeEncodeError:
            python = "none"
        glibc = encoded.get(cp, "none")
        if python != glibc:
            print(f"encode U+{cp:04X}: glibc {shown(glibc)}, Python {shown(python)}",
                  file=sys.stderr)


def decode_lines(decoded):
    """One line per run of codes that decode, cut at each lead byte."""
    lines = []
    codes = sorted(decoded)
    i = 0
    while i < len(codes):
        start = codes[i]
        j = i
        while j + 1 < len(codes) and codes[j + 1] == codes[j] + 1 and \
                codes[j + 1] >> 8 == start >> 8 and codes[j + 1] != 0x100:
            j += 1
        cps = [decoded[c] for c in codes[i:j + 1]]
        tokens = []
        k = 0
        while k < len(cps):
            n = 0
            while k + n + 1 < len(cps) and cps[k + n + 1] == cps[k] + n + 1:
                n += 1
            tokens.append(f"{cps[k]:04X}" + (f"+{n:X}" if n else ""))
            k += n + 1
        lines.append(f"{start:02X} " + " ".join(tokens))
        i = j + 1
    return lines


def encode_lines(decoded, encoded):
    inverse = {}
    for code, cp in decoded.items():
        inverse.setdefault(cp, []).append(code)
    lines = []
    dropped = sorted(cp for cp, code in encoded.items() if code is None)
    for cp in sorted(set(encoded) | set(inverse)):
        code = encoded.get(cp, "none")
        if code is None:
            continue
        if code == "none" or inverse.get(cp) != [code]:
            assert code != "none", f"U+{cp:04X} decodes but does not encode"
            lines.append(f"={cp:04X} {code:02X}")
    i = 0
    while i < len(dropped):
        j = i
        while j + 1 < len(dropped) and dropped[j + 1] == dropped[j] + 1:
            j += 1
        lines.append(f"={dropped[i]:04X}+{j - i:X} -")
        i = j + 1
    return lines


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else "src/platform/cp932.map"
    decoded, encoded = glibc_tables()
    compare_with_python(decoded, encoded)  # None: dropped from the output
    with open(target, "w", encoding="ascii", newline="\n") as out:
        out.write(HEADER)
        out.write("\n".join(decode_lines(decoded) + encode_lines(decoded, encoded)) + "\n")
    print(f"{target}: {len(decoded)} codes decode, {len(encoded)} code points encode",
          file=sys.stderr)


if __name__ == "__main__":
    main()
