#!/usr/bin/env python3
"""Turns src/platform/cp932.map into the tables of platform/cp932_table.cpp at build time:
decoding and encoding as two-level tables (a page of 256 entries for each high byte, the
pages without an entry shared), and the ranges of code points dropped from CP932 text.
The map's first lines say how it reads.

Usage: cp932_tables.py MAP_FILE OUTPUT
"""
import sys

from generated_file import write_if_changed

NO_CODE = 0xFFFF


def run(text):
    """"CP" or "CP+N": the code points it stands for."""
    first, _, more = text.partition("+")
    first = int(first, 16)
    return range(first, first + (int(more, 16) if more else 0) + 1)


def read_map(path):
    decode, encode, dropped, encoding_lines = {}, {}, [], []
    with open(path, encoding="ascii") as f:
        for number, line in enumerate(f.read().split("\n"), 1):
            if not line or line.startswith("#"):
                continue
            try:
                if line.startswith("="):
                    encoding_lines.append(line[1:].split())
                    continue
                words = line.split()
                code = int(words[0], 16)
                for word in words[1:]:
                    for cp in run(word):
                        decode[code] = cp
                        encode.setdefault(cp, code)  # a code point's first code, unless told
                        code += 1
            except ValueError:
                sys.exit(f"{path}:{number}: {line!r} does not read")
    for cp_text, code_text in encoding_lines:
        cps = run(cp_text)
        if code_text == "-":
            dropped.append((cps.start, cps.stop - 1))
        else:
            encode[cps.start] = int(code_text, 16)
    # Code points past U+FFFF have no code; every code and code point kept fits 16 bits.
    encode = {cp: code for cp, code in encode.items() if cp <= 0xFFFF}
    if any(v > 0xFFFF for v in list(decode.values()) + list(encode.values())):
        sys.exit(f"{path}: a code or code point past 16 bits")
    return decode, encode, dropped


def paged(name, table):
    """A two-level table: k<Name>Page[hi] picks the page of 256 entries that holds lo."""
    pages, page_of = [[NO_CODE] * 256], []
    for high in range(256):
        page = [table.get(high * 256 + low, NO_CODE) for low in range(256)]
        if page == pages[0]:
            page_of.append(0)
        else:
            page_of.append(len(pages))
            pages.append(page)
    out = [f"constexpr std::uint8_t k{name}Page[256] = {{"]
    out += ["    " + ", ".join(str(p) for p in page_of[i:i + 16]) + "," for i in range(0, 256, 16)]
    out.append("};")
    out.append(f"constexpr std::uint16_t k{name}Pages[{len(pages)}][256] = {{")
    for page in pages:
        out.append("    {")
        out += ["        " + ", ".join(f"0x{v:04X}" for v in page[i:i + 12]) + ","
                for i in range(0, 256, 12)]
        out.append("    },")
    out.append("};")
    return out


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: cp932_tables.py MAP_FILE OUTPUT")
    decode, encode, dropped = read_map(sys.argv[1])
    code = ["// Written by the build from platform/cp932.map: do not edit."]
    code += paged("Decode", decode) + paged("Encode", encode)
    code.append(f"constexpr std::pair<char32_t, char32_t> kDropped[{len(dropped)}] = {{")
    code += [f"    {{0x{a:X}, 0x{b:X}}}," for a, b in dropped]
    code.append("};")
    text = "\n".join(code) + "\n"
    target = sys.argv[2]
    write_if_changed(target, text)


if __name__ == "__main__":
    main()
