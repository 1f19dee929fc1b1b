#!/usr/bin/env bash
# `cmake --install` over an installed copy leaves the files a running program holds as they were
# (its executable is mapped): each new file is renamed over the old one, never written into it.
# With and without DESTDIR.
# Usage: install_by_rename.sh <build folder>
set -euo pipefail
build=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "install_by_rename: $*" >&2
  exit 1
}
files=(tuftle tuftle-windows.so tuftle-keyboard-page.so tuftle-http.so)
declare -A held

for destdir in "" "$work/staged"; do
  prefix=$work/prefix
  [[ -z $destdir ]] || prefix=/usr/local
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
done
echo "installed twice, with and without DESTDIR, each file renamed over the one a program held"
