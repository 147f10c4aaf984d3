#!/bin/sh
# The calculation reports, read back with poppler's tools: a well-formed A4 PDF with embedded
# fonts, the result file's key values and both files' SHA-256 in its text, the same bytes for
# the same SOURCE_DATE_EPOCH, a refused panel, a file that is no panel (no report), a path of
# 200 characters, the sign-off header, a brittle panel, --batch --report and --study --report
# (the same bytes twice, and at most 4 pages for 100 x 100 variants).
#   report_test.sh ZMBR EXAMPLES_DIR
set -u
zmbr=$1
examples=$2
tmp=$(mktemp -d "${TMPDIR:-/tmp}/zmbr-report.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT INT TERM
cd "$tmp" || exit 1
unset DISPLAY WAYLAND_DISPLAY
export SOURCE_DATE_EPOCH=1700000000
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# pdfinfo reads it, A4 portrait, one to three pages (or as given), every font embedded.
pdf_ok() {
  info=$(pdfinfo "$1" 2>&1) || { fail "pdfinfo cannot read $1: $info"; return; }
  echo "$info" | grep -q '^Page size: *595.276 x 841.89 pts (A4)' || fail "$1 is not A4 portrait: $info"
  pages=$(echo "$info" | sed -n 's/^Pages: *//p')
  [ "$pages" -ge 1 ] && [ "$pages" -le "${2:-3}" ] || fail "$1 has $pages pages"
  echo "$info" | grep -q '^CreationDate: *Tue Nov 14 22:13:20 2023' ||
    fail "$1 is not dated by SOURCE_DATE_EPOCH: $info"
  pdffonts "$1" | awk 'NR > 2 && $(NF-4) != "yes" { bad = 1 } END { exit bad }' ||
    fail "$1 has a font that is not embedded: $(pdffonts "$1")"
}
# The text holds a line matching the pattern.
has() {
  grep -Eq -- "$2" "$1" || fail "$1 has no line matching '$2'"
}

cp "$examples/steel_yield.mbr" "$examples/gfrp_rupture.mbr" "$examples/ten_rows.mbr" .
"$zmbr" --report steel_yield.mbr >run.txt 2>err.txt || fail "--report exited with $?: $(cat err.txt)"
[ ! -s err.txt ] || fail "--report wrote to stderr: $(cat err.txt)"
pdf_ok steel_yield.pdf
pdftotext -layout steel_yield.pdf steel_yield.txt || fail "pdftotext cannot read the report"
# The values as the result file has them: the largest τxy (the first of equals), γxy there,
# and the crack angle of the last step line.
set -- $(awk 'NR > 4 && $1 ~ /^-?[0-9]+[.][0-9]+$/ { n++; if (n == 1 || $1 + 0 > top + 0) { top = $1; gamma = $2; at = n }
              theta = $5 } END { print top, gamma, at, theta, n }' steel_yield.TGC)
[ $# -eq 5 ] || fail "steel_yield.TGC has no step lines"
has steel_yield.txt "τxy max +$1 MPa"
has steel_yield.txt "γxy at τxy max +$2 "
has steel_yield.txt "at step +$3 "
has steel_yield.txt "Last crack angle θ +$4 °"
has steel_yield.txt "Last step in the file +$5\$"
steps=$(sed -n 's/^steel_yield.TGC: \([0-9]*\) steps, .*/\1/p' run.txt)
has steel_yield.txt "Steps completed +$steps "
has steel_yield.txt "failed at step $steps: the concrete was crushed"
has steel_yield.txt "Rows 1 and 2 have yielded"
has steel_yield.txt "^RC wall, D13 bars"
has steel_yield.txt "fc \(-\) +-30.00 N/mm²"
for f in steel_yield.mbr steel_yield.TGC; do
  has steel_yield.txt "^ *$f +$(sha256sum $f | cut -d' ' -f1)\$"
done

# The same run again gives the same bytes.
"$zmbr" --report steel_yield.mbr -o again.pdf >/dev/null 2>&1
cmp -s steel_yield.pdf again.pdf || fail "two reports of one panel differ"

# A panel that cannot be run: its inputs and the message, with the exit status of --batch.
sed '5s/.*/0/' steel_yield.mbr >refused.mbr
"$zmbr" --batch refused.mbr >/dev/null 2>&1
batch_status=$?
"$zmbr" --report refused.mbr >/dev/null 2>err.txt
status=$?
[ "$status" -eq "$batch_status" ] && [ "$status" -ne 0 ] ||
  fail "--report of a refused panel exited with $status, --batch with $batch_status"
pdf_ok refused.pdf 2
pdftotext -layout refused.pdf refused.txt
has refused.txt "The panel was not run. The analysis cannot start: t is 0"
has refused.txt "^t +0.00 mm"
has refused.txt "^ *refused.mbr +$(sha256sum refused.mbr | cut -d' ' -f1)\$"

# --batch --report: a report beside each result, ten rows too in two pages; a usage error
# writes none.
rm -f steel_yield.pdf
"$zmbr" --batch --report -j 2 steel_yield.mbr gfrp_rupture.mbr ten_rows.mbr >/dev/null 2>&1 ||
  fail "--batch --report exited with $?"
pdf_ok steel_yield.pdf
pdf_ok gfrp_rupture.pdf
pdf_ok ten_rows.pdf
pdftotext gfrp_rupture.pdf - | grep -q "ruptured at a crack" || fail "gfrp_rupture.pdf names no rupture"
"$zmbr" --report steel_yield.mbr -o wrong.svg 2>/dev/null
[ $? -eq 2 ] && [ ! -e wrong.svg ] || fail "--report -o wrong.svg was not refused"

# A file that is no panel gets the message --batch prints, its exit status and no report.
printf 'GIF89a\001\000garbage' >garbage.mbr
"$zmbr" --batch garbage.mbr >batch_out.txt 2>&1
batch_status=$?
"$zmbr" --report garbage.mbr >report_out.txt 2>&1
status=$?
[ "$status" -eq 2 ] && [ "$batch_status" -eq 2 ] || fail "garbage: --report $status, --batch $batch_status"
[ ! -e garbage.pdf ] || fail "a report was written for a file that is no panel"
cmp -s batch_out.txt report_out.txt || fail "garbage: --report says $(cat report_out.txt)"

# A path of 200 characters, the sign-off header and a brittle panel: every string whole.
deep=$(printf 'structural-calculations-for-the-bridge-deck-%s/' 1 2 3)
mkdir -p "$deep"
cp gfrp_rupture.mbr "$deep/gfrp_rupture_panel_with_a_long_name_for_the_checking_engineer.mbr"
long="$tmp/$deep/gfrp_rupture_panel_with_a_long_name_for_the_checking_engineer.mbr"
[ ${#long} -ge 200 ] || fail "the long path has only ${#long} characters"
"$zmbr" --report "$long" --project "Harbour bridge, deck slab" --job 4711 --element "web panel W3" \
  --by "A. Engineer" --revision B >/dev/null 2>&1 || fail "--report of a long path exited with $?"
pdf="${long%.mbr}.pdf"
pdf_ok "$pdf" 4
pdftotext -layout "$pdf" long.txt
pdftotext -raw "$pdf" - | tr -d '\n' >long_raw.txt
for f in "$long" "${long%.mbr}.TGC"; do
  digest=$(sha256sum "$f" | cut -d' ' -f1)
  grep -q "$digest" long.txt || fail "the digest of $f is not whole in the report"
  grep -qF "$f$digest" long_raw.txt || fail "the path $f is not whole in the report"
done
has long.txt "Project +Harbour bridge, deck slab"
has long.txt "Job +4711"
has long.txt "Element +web panel W3"
has long.txt "Prepared by +A. Engineer"
has long.txt "Revision +B"
has long.txt "Sheet +1 of [2-4]"
has long.txt "Checked by +Program +ZMBR"
has long.txt "Peak τxy +2.000 MPa at γxy = 0.000101 \(step 5\)"
has long.txt "the panel carries less after cracking, 0.916 MPa at failure"

# A comment in Japanese (code page 932) is printed in a face that has its characters.
printf '\221\317\220k\225\307 W3\r\n' >jp_comment.txt
{ head -n 1 steel_yield.mbr; cat jp_comment.txt; tail -n +3 steel_yield.mbr; } >japanese.mbr
"$zmbr" --report japanese.mbr >/dev/null 2>&1 || fail "--report of a Japanese comment exited with $?"
pdf_ok japanese.pdf
pdftotext japanese.pdf - | grep -q "^耐震壁 W3" || fail "the Japanese comment is not in the report"

# --study --report: one report with the varied names, the governing variants and the chart;
# the same bytes twice.
"$zmbr" --study steel_yield.mbr --vary fc=-20:-30:-5 --vary t=150:200:50 --out study \
  --report >/dev/null 2>err.txt || fail "--study --report exited with $?: $(cat err.txt)"
pdf_ok study/report.pdf
pdftotext -layout study/report.pdf study.txt
has study.txt "^ *fc \(N/mm²\) +-20, -25, -30\$"
has study.txt "lowest τxy max +[0-9]+ +-?[0-9.]+ +[0-9.]+ +concrete NG"
has study.txt "summary.csv +$(sha256sum study/summary.csv | cut -d' ' -f1)\$"
cp study/report.pdf first.pdf
cp study/summary.csv first.csv
"$zmbr" --study steel_yield.mbr --vary fc=-20:-30:-5 --vary t=150:200:50 --out study \
  --report >/dev/null 2>&1
cmp -s first.csv study/summary.csv || fail "two studies wrote different summary tables"
cmp -s first.pdf study/report.pdf || fail "two studies wrote different reports"

# 100 x 100 variants: the report stays short; the table is summary.csv.
"$zmbr" --study steel_yield.mbr --vary fc=-20:-39.8:-0.2 --vary t=101:200:1 --out big \
  --summary-only --report >/dev/null 2>err.txt || fail "the large study exited with $?: $(cat err.txt)"
[ ! -s err.txt ] || fail "the large study said: $(head -n 3 err.txt)"
[ "$(($(wc -l <big/summary.csv)))" -eq 10001 ] || fail "the large study has $(wc -l <big/summary.csv) lines"
pdf_ok big/report.pdf 4

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "reports OK"
