#!/usr/bin/env bash
# Makes the Debian package from this build, unpacks it into a scratch root and checks what an
# installation would get: the programs run, the desktop entry and the metainfo validate, the
# icon and the man pages are where the desktop and man look for them.
set -euo pipefail
build=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
cd "$build"
cpack -G DEB -B "$root/out" >/dev/null
deb=$(ls "$root"/out/quvane-utility_*.deb)
dpkg-deb --info "$deb" | grep -q 'Depends:.*libqt6core6'
dpkg -x "$deb" "$root/fs"
"$root/fs/usr/bin/quvane" --help | grep -q 'clear-datalog --yes'
"$root/fs/usr/bin/quvane-sim" --help | grep -q -- '--pty'
desktop-file-validate "$root/fs/usr/share/applications/quvane-utility.desktop"
appstreamcli validate --no-net "$root/fs/usr/share/metainfo/org.quvane.Utility.metainfo.xml" >/dev/null
test -s "$root/fs/usr/share/icons/hicolor/48x48/apps/quvane-utility.png"
test -s "$root/fs/usr/share/icons/hicolor/scalable/apps/quvane-utility.svg"
test -s "$root/fs/usr/share/man/man1/quvane.1"
test -s "$root/fs/usr/share/doc/quvane-utility/copyright"
echo "package checks passed: $(basename "$deb")"
