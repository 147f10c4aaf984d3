#!/usr/bin/env bash
# Builds the number text of an older commit beside this tree's and compares the two on millions
# of values (compare.cpp). Usage: tools/number_text_diff/run.sh [commit] [scale]
# The default commit is the last one whose number text used the standard library's
# floating-point to_chars and from_chars; scale 6 (the default) compares 6.6 million values and
# texts in 55 million calls.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
commit="${1:-40f8e98}"
scale="${2:-6}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
git -C "$here" show "$commit:src/numeric/number_text.cpp" > "$work/old_number_text.cpp"
flags=(-std=c++20 -O2 -ffp-contract=off -I"$here/src")
${CXX:-c++} "${flags[@]}" -Dzmbr=zmbr_old -c "$work/old_number_text.cpp" -o "$work/old.o"
${CXX:-c++} "${flags[@]}" "$here/tools/number_text_diff/compare.cpp" \
  "$here"/src/input/{number_text,decimal_conversion,big_unsigned}.cpp "$work/old.o" \
  -o "$work/compare"
"$work/compare" "$scale"
