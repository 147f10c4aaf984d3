#!/bin/sh
# The pictures of the command line, drawn without a display: a study's chart and the overlay
# of result files, as SVG and PNG, and a plot refused for a file that is not a result file.
#   figures_test.sh ZMBR EXAMPLES_DIR
set -u
zmbr=$1
examples=$2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zmbr-figures.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT INT TERM
cd "$tmp" || exit 1
unset DISPLAY WAYLAND_DISPLAY
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# An SVG that parses as XML and draws `lines` polylines or more; a PNG of 1600 x 1040 pixels.
svg_ok() {
  python3 - "$1" "$2" <<'PY' || fail "$1 is not a well-formed SVG with $2 curves or more"
import sys, xml.dom.minidom
doc = xml.dom.minidom.parse(sys.argv[1])
assert doc.documentElement.tagName == "svg"
assert len(doc.getElementsByTagName("polyline")) >= int(sys.argv[2])
assert doc.getElementsByTagName("text")
PY
}
png_ok() {
  python3 - "$1" <<'PY' || fail "$1 is not a PNG of 1600 x 1040 pixels"
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n"
assert struct.unpack(">II", data[16:24]) == (1600, 1040)
PY
}

cp "$examples/steel_yield.mbr" "$examples/gfrp_rupture.mbr" .
"$zmbr" --study steel_yield.mbr --vary fc=-20:-30:-5 --vary t=150:200:50 --out study \
  >study.txt 2>study-err.txt || fail "the study exited with $?: $(cat study-err.txt)"
[ ! -s study-err.txt ] || fail "the study wrote to stderr: $(cat study-err.txt)"
[ "$(wc -l <study.txt)" -eq 6 ] || fail "the study did not run 6 variants: $(cat study.txt)"
svg_ok study/chart.svg 2
png_ok study/chart.png
grep -q 'fc (N/mm²)' study/chart.svg || fail "the chart's axis does not name fc with its unit"

# Nine values of the second name: a map with a colour bar instead of nine curves.
"$zmbr" --study steel_yield.mbr --vary Ar=100:300:100 --vary fc=-20:-36:-2 --out map \
  --summary-only >map.txt 2>map-err.txt || fail "the map study exited with $?: $(cat map-err.txt)"
svg_ok map/chart.svg 0
png_ok map/chart.png
# (the τ may stand in a text of its own, in another face)
grep -q 'xy max (MPa)' map/chart.svg || fail "the map has no colour bar titled τxy max (MPa)"
grep -q 'unmarked: concrete NG' map/chart.svg || fail "the map does not say which end is unmarked"
! grep -Eq 'points="([0-9.,-]+ ){3,}' map/chart.svg || fail "the map study drew curves"

"$zmbr" --batch steel_yield.mbr gfrp_rupture.mbr >/dev/null 2>&1
for curve in tau-gamma eps1-eps2; do
  for kind in svg png; do
    "$zmbr" --plot steel_yield.TGC gfrp_rupture.TGC --curve $curve -o $curve.$kind \
      2>plot-err.txt || fail "--plot $curve -o $curve.$kind exited with $?: $(cat plot-err.txt)"
  done
  svg_ok $curve.svg 2
  png_ok $curve.png
  grep -q 'gfrp_rupture.TGC' $curve.svg || fail "the legend of $curve.svg does not name the files"
done

"$zmbr" --plot steel_yield.TGC steel_yield.mbr -o wrong.svg 2>wrong.txt
status=$?
[ "$status" -eq 2 ] || fail "--plot of a parameter file exited with $status, expected 2"
grep -qx 'zmbr: steel_yield.mbr: Line 1: "Created by ZMBR3" does not begin with "τ-γ relationship created by ZMBR3".' wrong.txt ||
  fail "--plot of a parameter file said: $(cat wrong.txt)"
[ ! -e wrong.svg ] || fail "--plot of a parameter file wrote a picture"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "figures OK"
