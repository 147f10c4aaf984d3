#!/bin/sh
# A study on every toolchain: the same summary table to the byte as the kept one, the usual
# exit status, and a chart.svg that parses as XML and carries the chart's title, drawn by the
# windows or, in a program without them, by the core's own painter (then without chart.png).
#   study_chart_test.sh EXAMPLES_DIR DATA_DIR PROGRAM [ARGUMENT...]
set -u
examples=$1
data=$2
shift 2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zmbr-study-chart.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT INT TERM
cd "$tmp" || exit 1
problems=""
fail() {
  echo "FAIL: $*" >&2
  problems="$problems."
}
svgOnly='zmbr: this build of zmbr has no windows: the study'"'"'s chart is drawn as chart.svg only'

cp "$examples/steel_yield.mbr" .
"$@" --study steel_yield.mbr --vary t=150:250:50 --vary Ar.1=100:200:50 --out study \
  >out.txt 2>err.txt
status=$?
[ "$status" -eq 0 ] || fail "the study exited with $status, not 0: $(cat err.txt)"
[ "$(wc -l <out.txt)" -eq 9 ] || fail "the study did not run 9 variants: $(cat out.txt)"
cmp -s study/summary.csv "$data/steel_yield_study.csv" || {
  fail "study/summary.csv differs from the kept table:"
  diff "$data/steel_yield_study.csv" study/summary.csv >&2
}

# Without the windows the program says once that the chart is SVG only, and says nothing else.
if grep -qxF "$svgOnly" err.txt; then
  [ "$(wc -l <err.txt)" -eq 1 ] || fail "the study wrote more to stderr: $(cat err.txt)"
  [ ! -e study/chart.png ] || fail "a program without windows wrote chart.png"
else
  [ ! -s err.txt ] || fail "the study wrote to stderr: $(cat err.txt)"
  [ -s study/chart.png ] || fail "a program with windows wrote no chart.png"
fi

python3 - study/chart.svg <<'PY' || fail "study/chart.svg is not a well-formed SVG with the chart's title"
import sys, xml.etree.ElementTree as tree
svg = "{http://www.w3.org/2000/svg}"
root = tree.parse(sys.argv[1]).getroot()
assert root.tag == svg + "svg", root.tag
title = "τxy max of the variants of steel_yield.mbr"
assert root.find(svg + "title").text == title, root.find(svg + "title").text
# (the windows' painter may set the τ apart, in a face that has it)
texts = "".join("".join(t.itertext()) for t in root.iter(svg + "text"))
assert title in texts and "t (mm)" in texts and "Ar.1 (mm²)" in texts, texts
PY

[ -z "$problems" ] || { echo "${#problems} check(s) failed" >&2; exit 1; }
echo "study chart OK"
