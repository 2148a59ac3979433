#!/usr/bin/env bash
# Builds the Debian packages as scripts/package builds them, lints them, unpacks them into a
# scratch root and checks what an installation would get: each program answers --version and
# --help from there (the utility without a display), quvane-cli needs no graphical library,
# the desktop entry and the metainfo validate, man pages and completions are where man and
# bash look for them.
#
# Every check says what it looked at when it fails. Outputs are read whole before they are
# searched: `prog | grep -q` under pipefail fails at random when grep stops reading first.
set -euo pipefail
source=$(cd "$(dirname "$0")/../.." && pwd)
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

fail() {
  echo "package check failed: $*" >&2
  exit 1
}

# contains TEXT PATTERN WHAT
contains() {
  grep -qF -- "$2" <<<"$1" || fail "$3 does not contain \"$2\"; it said:"$'\n'"$1"
}

QUVANE_SKIP_BOOTSTRAP=1 "$source/scripts/package" --out "$root/out" >"$root/package.log" 2>&1 ||
  fail "scripts/package: $(tail -n 40 "$root/package.log")"
version=$(cd "$source" && dpkg-parsechangelog -S Version)
for package in quvane-utility quvane-cli quvane-sim; do
  [ -f "$root/out/${package}_${version}_amd64.deb" ] ||
    [ -n "$(compgen -G "$root/out/${package}_${version}_*.deb")" ] ||
    fail "no $package $version package among: $(ls "$root/out")"
done

# lintian on every package the build made (the debug symbols' and the source's too): nothing at all, not even
# an informational or pedantic tag. Overrides are in debian/*.lintian-overrides, with reasons.
out=$(lintian --pedantic --display-info --fail-on error,warning,info,pedantic \
  "$root"/out/*.changes "$root"/out/*.dsc 2>&1) || fail "lintian:"$'\n'"$out"
tags=$(grep -E '^[EWIPX]: ' <<<"$out" || true)
[ -z "$tags" ] || fail "lintian:"$'\n'"$tags"

for deb in "$root"/out/*.deb; do
  dpkg -x "$deb" "$root/fs" || fail "dpkg -x $deb"
done
bin=$root/fs/usr/bin

# Each program's version is the package's, and its help prints without a display.
for program in quvane-utility quvane quvane-sim; do
  [ -x "$bin/$program" ] || fail "/usr/bin/$program is not in the packages"
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/$program" --version 2>&1) ||
    fail "$program --version exited with $?: $said"
  contains "$said" "$version" "$program --version"
  said=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$bin/$program" --help 2>&1) ||
    fail "$program --help exited with $?: $said"
  contains "$said" "--version" "$program --help"
done

# quvane-cli runs where no graphical library is installed: none is linked, none is depended on,
# and none comes with what it depends on.
gui='libqt6(gui|widgets|charts|opengl|svg|xcbqpa|waylandclient)|qt6-qpa-plugins|libx11|libxcb|libgl1|libegl|libopengl|libwayland|libfontconfig|libfreetype|libxkbcommon'
linked=$(ldd "$bin/quvane") || fail "ldd quvane: $linked"
! grep -qE "$gui" <<<"$linked" || fail "quvane links a graphical library:"$'\n'"$linked"
depends=$(dpkg-deb -f "$root"/out/quvane-cli_"$version"_*.deb Depends)
! grep -qE "$gui" <<<"$depends" || fail "quvane-cli depends on a graphical library: $depends"
if apt-cache show libqt6core6 >/dev/null 2>&1; then
  # What apt would install on a machine that has nothing installed yet (an empty package
  # status), recommendations left out as a server leaves them.
  : >"$root/empty-status"
  pulled=$(apt-get -s -o Dir::State::status="$root/empty-status" \
    -o APT::Install-Recommends=false install "$root"/out/quvane-cli_"$version"_*.deb 2>&1) ||
    fail "apt-get -s install quvane-cli: $pulled"
  pulled=$(sed -n 's/^Inst \([^ ]*\).*/\1/p' <<<"$pulled")
  contains "$pulled" "libqt6serialport6" "what installing quvane-cli pulls in"
  ! grep -qE "^($gui)" <<<"$pulled" ||
    fail "installing quvane-cli pulls in: $(grep -E "^($gui)" <<<"$pulled" | tr '\n' ' ')"
fi
depends=$(dpkg-deb -f "$root"/out/quvane-utility_"$version"_*.deb Depends)
# The xcb and offscreen platforms come with libqt6gui6; qt6-qpa-plugins holds only VNC and TUIO.
! grep -qF qt6-qpa-plugins <<<"$depends" ||
  fail "quvane-utility depends on qt6-qpa-plugins: $depends"
contains "$depends" "libqt6gui6" "quvane-utility's Depends"
contains "$(dpkg-deb -f "$root"/out/quvane-utility_"$version"_*.deb Recommends)" "quvane-cli" \
  "quvane-utility's Recommends"

# The desktop entry is named after the AppStream component id, both validate, and the
# metainfo's screenshot is a file of the tree with the size it declares.
metainfo=$root/fs/usr/share/metainfo/org.quvane.utility.metainfo.xml
[ -f "$metainfo" ] || fail "/usr/share/metainfo/org.quvane.utility.metainfo.xml is missing"
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
desktop=$root/fs/usr/share/applications/$id.desktop
[ -f "$desktop" ] || fail "no desktop entry named after the component id $id"
contains "$(cat "$metainfo")" "<launchable type=\"desktop-id\">$id.desktop</launchable>" "the metainfo"
out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ] || fail "desktop-file-validate: $out"
out=$(appstreamcli validate --pedantic --no-net "$metainfo" 2>&1) || fail "appstreamcli: $out"
[ "$out" = "✔ Validation was successful." ] || fail "appstreamcli validate --pedantic: $out"
while read -r width height url; do
  picture=$source/packaging/screenshots/${url##*/}
  [ -f "$picture" ] || fail "the screenshot $url is not packaging/screenshots/${url##*/}"
  size=$(file -b "$picture")
  contains "$size" "PNG image data, $width x $height" "file $picture"
done < <(sed -n 's:.*<image type="source" width="\([0-9]*\)" height="\([0-9]*\)">\(.*\)</image>.*:\1 \2 \3:p' "$metainfo")
grep -q '<image' "$metainfo" || fail "the metainfo has no screenshot"

# Man pages, compressed, that man renders without a warning; completions where bash looks.
for program in quvane-utility quvane quvane-sim; do
  page=$root/fs/usr/share/man/man1/$program.1.gz
  [ -s "$page" ] || fail "/usr/share/man/man1/$program.1.gz is missing"
  out=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man $program: $out"
  [ -z "$out" ] || fail "man $program warns: $out"
done
for program in quvane quvane-sim; do
  [ -s "$root/fs/usr/share/bash-completion/completions/$program" ] ||
    fail "/usr/share/bash-completion/completions/$program is missing"
done
echo "package checks passed: $(cd "$root/out" && ls -- *.deb | tr '\n' ' ')"
