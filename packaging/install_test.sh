#!/bin/sh
# Installs ZMBR into a scratch prefix and checks the installed files and program:
#   install_test.sh CMAKE BUILD_DIR         cmake --install of the build (no root needed)
#   install_test.sh --deb PACKAGE.deb       the files of a built package, dpkg-deb -x
set -u

if [ "${1:-}" = --deb ]; then
  deb=$2
else
  cmake=$1
  build=$2
  deb=
fi

tmp=$(mktemp -d "${TMPDIR:-/tmp}/zmbr-install.XXXXXX") || exit 1
trap 'rm -rf "$tmp"' EXIT INT TERM
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

if [ -n "$deb" ]; then
  dpkg-deb -x "$deb" "$tmp" || { echo "FAIL: dpkg-deb -x $deb" >&2; exit 1; }
else
  "$cmake" --install "$build" --prefix "$tmp/usr" >"$tmp/install.log" 2>&1 ||
    { cat "$tmp/install.log" >&2; echo "FAIL: cmake --install $build" >&2; exit 1; }
fi
usr=$tmp/usr
zmbr=$usr/bin/zmbr
[ -x "$zmbr" ] || { echo "FAIL: $zmbr is not installed" >&2; exit 1; }

# The default panel, headless, in a scratch folder: default.TGC, ended by concrete crushing,
# exit status 0 (every run ended by failure).
mkdir "$tmp/run" && cd "$tmp/run" || exit 1
"$zmbr" --batch >out.txt 2>err.txt
status=$?
[ "$status" -eq 0 ] || fail "zmbr --batch exited with $status, expected 0: $(cat err.txt)"
[ -s default.TGC ] || fail "zmbr --batch wrote no default.TGC"
grep -q '^default\.TGC: [0-9]* steps, concrete NG' out.txt ||
  fail "zmbr --batch printed: $(cat out.txt)"
[ ! -s err.txt ] || fail "zmbr --batch wrote to stderr: $(cat err.txt)"
if [ -s default.TGC ]; then
  tr -d '\r' <default.TGC | tail -n 3 | head -n 1 | grep -qx 'Concrete : NG' ||
    fail "default.TGC does not end with the closing status lines"
  ! grep -Eqi '(^|[^a-z])(nan|inf)([^a-z]|$)' default.TGC || fail "default.TGC holds NaN or Inf"
fi

# The windows module is found where it is installed: a plot of that result without a display.
if [ -s default.TGC ]; then
  QT_QPA_PLATFORM=offscreen "$zmbr" --plot default.TGC -o plot.svg >plot.txt 2>&1 ||
    fail "zmbr --plot through the installed windows module: $(cat plot.txt)"
  grep -q '<svg' plot.svg 2>/dev/null || fail "zmbr --plot wrote no SVG"
fi

# The installed examples, run where they can be written, each ending as examples/README.md says;
# the step-limit panel makes the exit status 1.
examples=$usr/share/doc/zmbr/examples
[ -s "$examples/README.md" ] || fail "examples/README.md is not installed"
cp "$examples"/*.mbr . 2>/dev/null || fail "no example panels installed in $examples"
"$zmbr" --batch -j 2 ./*.mbr >examples.txt 2>examples-err.txt
status=$?
[ "$status" -eq 1 ] || fail "zmbr --batch on the examples exited with $status, expected 1"
while read -r name ending; do
  grep -q "^\./$name\.TGC: [0-9]* steps, $ending, " examples.txt ||
    fail "$name.mbr: expected \"$ending\", got: $(grep "$name" examples.txt)"
done <<'END'
concrete_crushing concrete NG
gfrp_rupture rupture of rows 1, 2
one_row concrete NG
skewed_rows concrete NG
steel_yield concrete NG
step_limit step limit
ten_rows concrete NG
three_way_cfrp rupture of row 3
END
grep -q '^\./step_limit\.TGC: 10000 steps, ' examples.txt || fail "step_limit.mbr did not run 10000 steps"
grep -q 'Please make contact to' examples-err.txt || fail "the step limit gave no message"
tr -d '\r' <steel_yield.TGC | tail -n 1 | grep -qx ' 1 YLD  2 YLD ' ||
  fail "steel_yield.TGC: the rows do not yield"

# Usage errors give status 2 and the usage text; --help gives 0.
"$zmbr" --no-such-option >/dev/null 2>usage.txt
status=$?
[ "$status" -eq 2 ] || fail "an unknown option exited with $status, expected 2"
printf 'Created by ZMBR3\r\ncomment\r\n12\r\n' >bad.mbr
"$zmbr" --batch bad.mbr >bad.txt 2>bad-err.txt
status=$?
[ "$status" -eq 2 ] || fail "a bad parameter file exited with $status, expected 2"
grep -q 'Line 3: ' bad-err.txt || fail "a bad parameter file gave no message naming its line"
[ ! -e bad.TGC ] || fail "a bad parameter file was run"
"$zmbr" --help >help.txt 2>&1 || fail "zmbr --help failed"
grep -q -- '--batch' help.txt || fail "zmbr --help does not name --batch"

# The Python module, where the build made one: the system's python3 imports it from where it
# is installed and runs the default panel. A module built with the sanitizers needs their
# runtime loaded first, and the C++ library with it.
pydir=$usr/lib/python3/dist-packages
if [ -d "$pydir/zmbr" ] && [ -x /usr/bin/python3 ]; then
  preload=$(ldd "$pydir"/zmbr/_zmbr*.so 2>/dev/null | awk '/libasan|libstdc\+\+/ { print $3 }' | tr '\n' ' ')
  case "$preload" in *libasan*) ;; *) preload= ;; esac
  LD_PRELOAD=$preload ASAN_OPTIONS=detect_leaks=0 PYTHONPATH=$pydir /usr/bin/python3 -c \
    "import zmbr; r = zmbr.Panel().run(); assert r.end.kind == 'failure', r" >python.txt 2>&1 ||
    fail "the installed Python module: $(cat python.txt)"
fi

# The man page, the desktop entry and the icon.
man=$usr/share/man/man1/zmbr.1.gz
if [ -f "$man" ]; then
  gzip -dc "$man" >zmbr.1 || fail "$man is not gzip"
elif [ -f "$usr/share/man/man1/zmbr.1" ]; then
  cp "$usr/share/man/man1/zmbr.1" zmbr.1
else
  fail "the man page is not installed"
fi
if [ -f zmbr.1 ]; then
  for section in NAME SYNOPSIS OPTIONS 'EXIT STATUS' FILES; do
    grep -q "^\.SH \"\{0,1\}$section" zmbr.1 || fail "the man page has no $section section"
  done
  if command -v groff >/dev/null 2>&1; then
    warnings=$(groff -man -Tutf8 -ww -z zmbr.1 2>&1)
    [ -z "$warnings" ] || fail "groff warns about the man page: $warnings"
  fi
fi

desktop=$usr/share/applications/zmbr.desktop
if [ -f "$desktop" ]; then
  grep -qx 'Exec=zmbr %f' "$desktop" || fail "the desktop entry does not start zmbr with the file"
  grep -qx 'MimeType=application/x-zmbr-panel;' "$desktop" || fail "the desktop entry opens no *.mbr"
  grep -qx 'Icon=zmbr' "$desktop" || fail "the desktop entry does not name the icon"
  if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects $desktop"
  fi
else
  fail "the desktop entry is not installed"
fi
mime=$usr/share/mime/packages/zmbr.xml
grep -q '<glob pattern="\*\.mbr"/>' "$mime" 2>/dev/null || fail "the type of *.mbr files is not installed"
if command -v update-mime-database >/dev/null 2>&1; then
  # The installed type as a file manager would learn it: a parameter file is of that type.
  mkdir -p mime/packages && cp "$mime" mime/packages/ && update-mime-database "$PWD/mime" 2>/dev/null ||
    fail "update-mime-database rejects $mime"
  grep -q '^application/x-zmbr-panel:\*\.mbr$' mime/globs 2>/dev/null || fail "the *.mbr glob is not registered"
fi
metainfo=$usr/share/metainfo/org.example.zmbr.metainfo.xml
[ -f "$metainfo" ] || fail "the AppStream metadata is not installed"
if [ -f "$metainfo" ] && command -v appstreamcli >/dev/null 2>&1; then
  appstreamcli validate --no-net "$metainfo" >appstream.txt 2>&1 ||
    fail "appstreamcli rejects $metainfo: $(cat appstream.txt)"
fi
doc=$usr/share/doc/zmbr
grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright" 2>/dev/null ||
  fail "the machine-readable copyright file is not installed"
gzip -dc "$doc/changelog.gz" 2>/dev/null | head -n 1 | grep -q '^zmbr (' ||
  fail "the changelog is not installed as changelog.gz"
icon=$usr/share/icons/hicolor/scalable/apps/zmbr.svg
grep -q '<svg' "$icon" 2>/dev/null || fail "the icon is not installed as SVG"
[ -s "$usr/share/doc/zmbr/docs/guide.md" ] || fail "the user's guide is not installed"
for picture in form1.png run.png study_chart.png overlay.png report.png; do
  [ -s "$usr/share/doc/zmbr/docs/$picture" ] || fail "the guide's picture $picture is not installed"
done
[ -s "$usr/share/doc/zmbr/README.md" ] || fail "the README is not installed"

[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "installed tree OK"
