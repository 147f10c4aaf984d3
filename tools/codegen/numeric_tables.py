#!/usr/bin/env python3
"""Turns src/numeric/correctly_rounded_tables.txt into the header numeric/correctly_rounded_tables.h
at build time: the values are copied as the data file gives them, once checked to be what
they claim (hexadecimal doubles or 32-bit words, as many as declared).

Usage: numeric_tables.py DATA_FILE HEADER
"""
import re
import sys

from generated_file import write_if_changed

DECLARATION = re.compile(r"^(double|uint32) (k[A-Za-z0-9]+)((?:\[[0-9]+\]){0,2})$")
CPP_TYPE = {"double": "double", "uint32": "std::uint32_t"}


def fail(path, number, why):
    sys.exit(f"{path}:{number}: {why}")


def checked(path, number, kind, text):
    if kind == "double":
        try:
            value = float.fromhex(text)
        except ValueError:
            fail(path, number, f"{text!r} is no hexadecimal double")
        if value.hex() != text:
            fail(path, number, f"{text!r} is not written as {value.hex()}")
    elif not re.fullmatch(r"0x[0-9a-f]{8}", text):
        fail(path, number, f"{text!r} is no 32-bit word")
    return text


def block_code(path, block):
    """A block's lines as C++: its comments, then its declaration with its values."""
    comments = [line for _, line in block if line.startswith("//")]
    rest = [(n, line) for n, line in block if not line.startswith("//")]
    if not rest:
        fail(path, block[0][0], "a block without a declaration")
    number, head = rest[0]
    match = DECLARATION.match(head)
    if not match:
        fail(path, number, f"{head!r} is no declaration")
    kind, name = match.group(1), match.group(2)
    dims = [int(d) for d in re.findall(r"[0-9]+", match.group(3))]
    rows = [[checked(path, n, kind, t) for t in line.split()] for n, line in rest[1:]]
    values = [v for row in rows for v in row]
    count = 1
    for d in dims:
        count *= d
    if len(values) != count:
        fail(path, number, f"{name} declares {count} values and has {len(values)}")
    out = comments[:]
    declared = f"inline constexpr {CPP_TYPE[kind]} {name}{match.group(3)}"
    if not dims:
        out.append(f"{declared} = {values[0]};")
    elif len(dims) == 1 and count <= 4:
        out.append(f"{declared} = {{{', '.join(values)}}};")
    elif len(dims) == 1:
        out.append(f"{declared} = {{")
        out += ["    " + ", ".join(values[i:i + 6]) + "," for i in range(0, count, 6)]
        out.append("};")
    else:
        width = dims[1]
        out.append(f"{declared} = {{")
        out += ["    {" + ", ".join(values[i:i + width]) + "}," for i in range(0, count, width)]
        out.append("};")
    return out


def main():
    if len(sys.argv) != 3:
        sys.exit("usage: numeric_tables.py DATA_FILE HEADER")
    source, target = sys.argv[1], sys.argv[2]
    with open(source, encoding="utf-8") as f:
        lines = f.read().split("\n")
    blocks, block = [], []
    for number, line in enumerate(lines, 1):
        if line.startswith("#"):
            continue
        if line.strip():
            block.append((number, line))
        elif block:
            blocks.append(block)
            block = []
    if block:
        blocks.append(block)
    code = ["#pragma once",
            "// Written by the build from numeric/correctly_rounded_tables.txt: do not edit.",
            "#include <cstdint>", "", "namespace zmbr::crtables {", ""]
    for b in blocks:
        code += block_code(source, b) + [""]
    code.append("} // namespace zmbr::crtables")
    text = "\n".join(code) + "\n"
    write_if_changed(target, text)


if __name__ == "__main__":
    main()
