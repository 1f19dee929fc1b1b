#!/usr/bin/env bash
# `cmake --install` gives the desktop a launcher that desktop-file-validate accepts and that runs
# the installed program, also from a prefix that needs quoting, and the icon it names in the
# hicolor theme at every usual size. The autostart entry the program writes for itself there
# passes the same check. The install lists its files in a list of its own, never in the build's
# install_manifest.txt, which names what the user installed.
# Usage: install_launcher.sh <build folder> <autostart_entry program>
set -euo pipefail
build=$1 autostart_entry=$2
manifest=$build/install_manifest_Unspecified.txt
work=$(mktemp -d)
trap 'rm -rf "$work" "$manifest"' EXIT
fail() {
  echo "install_launcher: $*" >&2
  exit 1
}
prefix="/opt/tuftle 50%"
root=$work/staged$prefix
DESTDIR=$work/staged cmake --install "$build" --component Unspecified --prefix "$prefix" >/dev/null
launcher=$root/share/applications/tuftle.desktop
[[ -f $launcher ]] || fail "no launcher at $launcher"
desktop-file-validate "$launcher" || fail "desktop-file-validate refuses $launcher"
grep -qxF 'Exec="/opt/tuftle 50%%/bin/tuftle"' "$launcher" || fail "Exec is not the installed program: $(grep Exec "$launcher")"
icon=$(sed -n 's/^Icon=//p' "$launcher")
for size in 16 22 24 32 48 64 128 256; do
  png=$root/share/icons/hicolor/${size}x${size}/apps/$icon.png
  [[ -f $png ]] || fail "no $size px icon named $icon"
  # The width and height in the PNG header.
  read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{ print $3 * 256 + $4, $7 * 256 + $8 }')
  [[ $w == "$size" && $h == "$size" ]] || fail "$png is ${w}x$h"
done
grep -qx "$prefix/share/applications/tuftle.desktop" "$manifest" || fail "the install list does not name the launcher"
# Named as the launcher is, so that the validator reads it as the desktop would.
mkdir "$work/autostart"
"$autostart_entry" "$prefix/bin/tuftle" >"$work/autostart/tuftle.desktop"
desktop-file-validate "$work/autostart/tuftle.desktop" || fail "desktop-file-validate refuses the autostart entry"
