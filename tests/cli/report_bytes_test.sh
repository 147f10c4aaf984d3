#!/bin/sh
# The report of one panel is the same bytes whichever toolchain built the program (GCC,
# clang with libc++, WebAssembly under node): its SHA-256 is the one kept beside the panel.
#   report_bytes_test.sh DATA_DIR PROGRAM [ARGUMENT...]
set -u
data=$1
shift
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zmbr-report-bytes.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT INT TERM
cp "$data/steel_yield.mbr" "$tmp/panel.mbr"
cd "$tmp" || exit 1
SOURCE_DATE_EPOCH=1700000000 "$@" --report panel.mbr --project "Harbour bridge" --by "A. Engineer" \
  >/dev/null 2>err.txt || { echo "FAIL: --report exited with $?: $(cat err.txt)"; exit 1; }
expected=$(cat "$data/steel_yield_report.sha256")
got=$(sha256sum panel.pdf | cut -d' ' -f1)
[ "$got" = "$expected" ] || {
  echo "FAIL: the report's SHA-256 is $got, not $expected"
  echo "(a change to the report on purpose writes the new digest into $data/steel_yield_report.sha256)"
  exit 1
}
echo "report bytes OK"
