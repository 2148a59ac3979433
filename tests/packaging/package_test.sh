#!/usr/bin/env bash
# Makes the Debian package from this build, unpacks it into a scratch root and checks what an
# installation would get: the programs run, the desktop entry and the metainfo validate, the
# icon and the man pages are where the desktop and man look for them.
#
# Every check says what it looked at when it fails. Outputs are read whole before they are
# searched: `prog | grep -q` under pipefail fails at random when grep stops reading first.
set -euo pipefail
build=$1
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

cd "$build"
cpack -G DEB -B "$root/out" >"$root/cpack.log" 2>&1 || fail "cpack: $(cat "$root/cpack.log")"
debs=("$root"/out/quvane-utility_*.deb)
[ -f "${debs[0]}" ] || fail "cpack made no quvane-utility .deb: $(ls "$root/out")"
deb=${debs[0]}

info=$(dpkg-deb --info "$deb") || fail "dpkg-deb --info $deb"
contains "$info" "libqt6core6" "the package's Depends"
dpkg -x "$deb" "$root/fs" || fail "dpkg -x $deb"

help=$("$root/fs/usr/bin/quvane" --help 2>&1) || fail "quvane --help exited with $?: $help"
contains "$help" "clear-datalog --yes" "quvane --help"
help=$("$root/fs/usr/bin/quvane-sim" --help 2>&1) || fail "quvane-sim --help exited with $?: $help"
contains "$help" "--pty" "quvane-sim --help"

out=$(desktop-file-validate "$root/fs/usr/share/applications/quvane-utility.desktop" 2>&1) ||
  fail "desktop-file-validate: $out"
out=$(appstreamcli validate --no-net "$root/fs/usr/share/metainfo/org.quvane.Utility.metainfo.xml" 2>&1) ||
  fail "appstreamcli validate: $out"

for file in usr/share/icons/hicolor/48x48/apps/quvane-utility.png \
            usr/share/icons/hicolor/scalable/apps/quvane-utility.svg \
            usr/share/man/man1/quvane.1 \
            usr/share/doc/quvane-utility/copyright; do
  [ -s "$root/fs/$file" ] || fail "/$file is missing or empty"
done
echo "package checks passed: $(basename "$deb")"
