#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks what a desktop finds there: the programs in
# bin/ (and no data beside them), every data file in share/skyrings, a desktop entry and AppStream
# metainfo that their validators accept, the icon at each size as a PNG that decodes at that size,
# and manual pages that format without warnings.
#   check_installed.sh BUILD_DIR WORK_DIR
set -uo pipefail
build=$1
work=$2
prefix=$work/prefix
app=org.skyrings.SkyRings
data_files=(ring.x karasu.x bird1.x bird2.x bird3.x bird4.x stage.x back1.bmp title.bmp icon.bmp
  ok.wav ring.wav out.wav cur.wav bgm.mid)
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

rm -rf "$work" && mkdir -p "$work"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || {
  cat "$work/install.log"
  exit 1
}

for program in skyrings skyrings-sim; do
  [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing or not executable"
done
for name in "${data_files[@]}"; do
  [ -s "$prefix/share/skyrings/$name" ] || fail "share/skyrings/$name is missing"
  [ -e "$prefix/bin/$name" ] && fail "bin/$name: data installed beside the program"
done

desktop=$prefix/share/applications/$app.desktop
if [ -f "$desktop" ]; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
  [ -z "$out" ] || fail "desktop-file-validate warns: $out"
  grep -qx "Exec=skyrings" "$desktop" || fail "the desktop entry does not start skyrings"
  grep -qx "Icon=$app" "$desktop" || fail "the desktop entry names another icon"
else
  fail "share/applications/$app.desktop is missing"
fi

metainfo=$prefix/share/metainfo/$app.metainfo.xml
if [ -f "$metainfo" ]; then
  out=$(appstreamcli validate --no-net --explain "$metainfo" 2>&1) || fail "appstreamcli: $out"
  grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" ||
    fail "the metainfo launches another desktop entry"
else
  fail "share/metainfo/$app.metainfo.xml is missing"
fi

for size in 16 24 32 48 64 128 256; do
  icon=$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png
  if [ -f "$icon" ]; then
    # ImageMagick decodes it on its own (checking every CRC and the zlib stream).
    got=$(identify -regard-warnings -format '%m %w %h' "$icon" 2>&1) ||
      fail "$icon does not decode: $got"
    [ "$got" = "PNG $size $size" ] || fail "$icon: '$got', not a $size x $size PNG"
  else
    fail "the ${size}x$size icon is missing"
  fi
done

for page in skyrings skyrings-sim; do
  manpage=$prefix/share/man/man6/$page.6
  if [ -f "$manpage" ]; then
    out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$manpage" 2>&1 >/dev/null)
    [ -z "$out" ] || fail "$page.6 formats with warnings: $out"
    LC_ALL=C.UTF-8 MANWIDTH=80 man -E UTF-8 -l "$manpage" 2>/dev/null | grep -q "^NAME" ||
      fail "$page.6 has no NAME section"
  else
    fail "share/man/man6/$page.6 is missing"
  fi
done

if [ "$failures" -ne 0 ]; then
  echo "$failures problem(s) in the installed files"
  exit 1
fi
echo "installed files: programs, data, desktop entry, metainfo, icons and manual pages all right"
