#!/usr/bin/env bash
# `cmake --install` over an installed copy leaves the files a running program holds as they were
# (its executable is mapped): each new file is renamed over the old one, never written into it.
# With and without DESTDIR, as a user who may write only the prefix: every file goes under the
# prefix given at install time, and the installed tree, moved elsewhere, still finds its bundle.
# Run as root, it runs itself where every mount but its own folder and its install list is
# read-only, so a write anywhere else fails the install; the build may sit in root's home.
# The install lists the files it wrote in a list of its own (the component all our files are in),
# never in the build's install_manifest.txt, which names what the user installed.
# Usage: install_by_rename.sh <build folder>
set -euo pipefail
build=$(cd "$1" && pwd)
manifest=$build/install_manifest_Unspecified.txt
fail() {
  echo "install_by_rename: $*" >&2
  exit 1
}
install() { DESTDIR=$1 cmake --install "$build" --component Unspecified --prefix "$2" >/dev/null; }

if [[ $(id -u) == 0 && ${2:-} != confined ]]; then
  if unshare --mount --propagation private true 2>/dev/null; then
    outer=$("$(dirname "$0")/../new_own_folder.sh" tuftle-rename)
    touch "$manifest"
    status=0
    TMPDIR=$outer unshare --mount --propagation private "$0" "$build" confined || status=$?
    rm -rf "$manifest" "$outer"
    exit $status
  fi
  echo "install_by_rename: no mount namespace here; a write outside the prefix would go unseen" >&2
fi

if [[ ${2:-} == confined ]]; then
  work=$(mktemp -d)
  # The caller removes both: mount points cannot be.
  # Each mount keeps its other flags (nosuid, nodev...), which a container may lock.
  while read -r point options; do
    point=$(printf '%b' "$point")  # mountinfo writes a space as \040
    mount -o "remount,bind,ro${options#r[ow]}" "$point" || fail "cannot make $point read-only"
  done < <(awk '$5 !~ "^/(proc|sys)(/|$)" { print $5, $6 }' /proc/self/mountinfo)
  # A bind mount starts as read-only as the mount it comes from.
  for writable in "$work" "$manifest"; do
    mount --bind "$writable" "$writable"
    options=$(findmnt -n -o VFS-OPTIONS --mountpoint "$writable" | tail -n 1)
    mount -o "remount,bind,rw${options#r[ow]}" "$writable"
  done
else
  work=$("$(dirname "$0")/../new_own_folder.sh" tuftle-rename) # room for the program's socket
  trap 'rm -rf "$work" "$manifest"' EXIT
fi
files=(tuftle tuftle-windows.so tuftle-keyboard-page.so tuftle-http.so)
declare -A held

# destdir|prefix
installs=("|$work/prefix" "$work/staged|/usr")
for row in "${installs[@]}"; do
  destdir=${row%%|*} prefix=${row#*|}
  bin=$destdir$prefix/bin
  install "$destdir" "$prefix"
  # What a running program of the installed copy holds: a file unlike the build's, then open.
  for file in "${files[@]}"; do
    [[ -f $bin/$file ]] || fail "$bin/$file is not installed"
    { cat "$bin/$file" && echo older; } >"$bin/$file.older"
    mv "$bin/$file.older" "$bin/$file"
    exec {fd}<"$bin/$file"
    held[$file]=$fd
  done
  install "$destdir" "$prefix"
  for file in "${files[@]}"; do
    [[ $(tail -c 6 "/proc/$$/fd/${held[$file]}") == older ]] || fail "$file was written over in place"
    cmp -s "$build/$file" "$bin/$file" || fail "$bin/$file is not the build's"
    fd=${held[$file]}
    exec {fd}<&-
  done
  [[ ! -e $bin/.tuftle-install ]] || fail "$bin/.tuftle-install is left behind"
  grep -qx "$prefix/bin/tuftle-windows.so" "$manifest" || fail "the install list does not name $prefix/bin/tuftle-windows.so"
  ! grep -q tuftle-install "$manifest" || fail "the install list names the staging folder"
  outside=$(grep -v "^$prefix/" "$manifest" || true)
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
  XDG_CACHE_HOME=$work/home/cache XDG_DATA_HOME=$work/home/data TMPDIR=$work QT_QPA_PLATFORM=no-such-platform \
  exec "$moved/bin/tuftle" 2>"$work/stderr" </dev/null) || status=$?
! grep -q "unable to find bundle" "$work/stderr" || fail "the moved program does not find its bundle: $(cat "$work/stderr")"
grep -q "no-such-platform" "$work/stderr" || fail "the moved program ended before its toolkit ($status): $(cat "$work/stderr")"
echo "installed twice, with and without DESTDIR, under the prefix alone, each file renamed over the one a program held"
