#!/usr/bin/env bash
# `cmake --install` over an installed copy leaves the files a running program holds as they were
# (its executable is mapped): each new file is renamed over the old one, never written into it.
# With and without DESTDIR, as a user who may write only the prefix: every file goes under the
# prefix given at install time, and the installed tree, moved elsewhere, still finds its bundle.
# Run as root, it runs itself as a throwaway user that can read the build but write only its own
# temporary folder and the build's install_manifest.txt, and checks that user wrote nothing else.
# Usage: install_by_rename.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
fail() {
  echo "install_by_rename: $*" >&2
  exit 1
}

if [[ $(id -u) == 0 ]]; then
  command -v setpriv >/dev/null || fail "setpriv is not installed"
  uid=$((200000 + $$ % 100000))
  while getent passwd "$uid" >/dev/null || getent group "$uid" >/dev/null; do uid=$((uid + 1)); done
  work=$(mktemp -d)
  manifest=$build/install_manifest.txt
  touch "$manifest"
  owner=$(stat -c %u:%g "$manifest")
  trap 'chown "$owner" "$manifest"; rm -rf "$work"' EXIT
  chown "$uid:$uid" "$work" "$manifest"
  # Reading needs no permission (the build may sit in root's home); writing does.
  setpriv --reuid="$uid" --regid="$uid" --clear-groups --inh-caps=-all,+dac_read_search \
    --ambient-caps=+dac_read_search env HOME="$work" TMPDIR="$work" "$0" "$build"
  # Files of others come and go while it looks: those are no finding.
  written=$({ find / /tmp /var/tmp /dev/shm /run -xdev \( -path "$work" -o -path /proc \) -prune -o \
    -user "$uid" ! -path "$manifest" -print 2>/dev/null || true; } | sort -u)
  [[ -z $written ]] || fail "the unprivileged install wrote outside its prefix: $written"
  exit 0
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
files=(tuftle tuftle-windows.so tuftle-keyboard-page.so tuftle-http.so)
declare -A held

# destdir|prefix
installs=("|$work/prefix" "$work/staged|/usr")
for row in "${installs[@]}"; do
  destdir=${row%%|*} prefix=${row#*|}
  bin=$destdir$prefix/bin
  DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" >/dev/null
  # What a running program of the installed copy holds: a file unlike the build's, then open.
  for file in "${files[@]}"; do
    [[ -f $bin/$file ]] || fail "$bin/$file is not installed"
    { cat "$bin/$file" && echo older; } >"$bin/$file.older"
    mv "$bin/$file.older" "$bin/$file"
    exec {fd}<"$bin/$file"
    held[$file]=$fd
  done
  DESTDIR=$destdir cmake --install "$build" --prefix "$prefix" >/dev/null
  for file in "${files[@]}"; do
    [[ $(tail -c 6 "/proc/$$/fd/${held[$file]}") == older ]] || fail "$file was written over in place"
    cmp -s "$build/$file" "$bin/$file" || fail "$bin/$file is not the build's"
    fd=${held[$file]}
    exec {fd}<&-
  done
  [[ ! -e $bin/.tuftle-install ]] || fail "$bin/.tuftle-install is left behind"
  grep -qx "$prefix/bin/tuftle-windows.so" "$build/install_manifest.txt" ||
    fail "install_manifest.txt does not name $prefix/bin/tuftle-windows.so"
  ! grep -q tuftle-install "$build/install_manifest.txt" || fail "install_manifest.txt names the staging folder"
  outside=$(grep -v "^$prefix/" "$build/install_manifest.txt" || true)
  [[ -z $outside ]] || fail "installed outside $prefix: $outside"
  [[ -d $destdir$prefix/share/tuftle/Tuftle_Tuftle.bundle ]] || fail "no bundle in $destdir$prefix/share/tuftle"
  if [[ -n $destdir ]]; then
    outside=$(find "$destdir" -type f ! -path "$destdir$prefix/*")
    [[ -z $outside ]] || fail "installed outside DESTDIR and the prefix: $outside"
  fi
done

# The installed tree, moved: the program gets as far as starting its toolkit, which a platform of
# no such name ends, only when it has found its bundle.
moved="$work/moved tree"
mv "$work/prefix" "$moved"
mkdir -m 700 "$work/home" "$work/runtime"
status=0
(cd "$work" && ulimit -c 0 && HOME=$work/home XDG_RUNTIME_DIR=$work/runtime XDG_CONFIG_HOME=$work/home/config \
  XDG_CACHE_HOME=$work/home/cache XDG_DATA_HOME=$work/home/data QT_QPA_PLATFORM=no-such-platform \
  exec "$moved/bin/tuftle" 2>"$work/stderr" </dev/null) || status=$?
! grep -q "unable to find bundle" "$work/stderr" || fail "the moved program does not find its bundle: $(cat "$work/stderr")"
grep -q "no-such-platform" "$work/stderr" || fail "the moved program ended before its toolkit ($status): $(cat "$work/stderr")"
echo "installed twice, with and without DESTDIR, under the prefix alone, each file renamed over the one a program held"
