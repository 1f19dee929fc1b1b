#!/usr/bin/env bash
# The build steps that link the modules to the program read the same objects, and write the
# same files, from a folder whose name has spaces and non-ASCII letters; a file they cannot read
# stops them.
# Usage: module_scripts_any_folder.sh <module imports> <module build ids.cpp> <modules...>
#          -- <the module's objects...> -- <the program's archives...>
set -euo pipefail
scripts=$(cd "$(dirname "$0")/../../cmake" && pwd)
imports=$1 ids=$2
shift 2
modules=() objects=()
while [[ $1 != -- ]]; do modules+=("$1") && shift; done
shift
while [[ $1 != -- ]]; do objects+=("$1") && shift; done
shift
archives=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "module_scripts_any_folder: $*" >&2
  exit 1
}

# links <folder> <files...>: the files, linked into <folder> under names of their own.
links() {
  local folder=$1 i=0
  shift
  mkdir -p "$folder"
  for file in "$@"; do
    ln -s "$file" "$folder/$((i++)) $(basename "$file")"
    printf '%s\n' "$folder/$((i - 1)) $(basename "$file")"
  done
}

folder="$work/My Projects/tüftle build"
mapfile -t spaced_objects < <(links "$folder/module objects" "${objects[@]}")
mapfile -t spaced_archives < <(links "$folder/program archives" "${archives[@]}")
mkdir -p "$folder/modules"
spaced_modules=()
for module in "${modules[@]}"; do
  spaced_modules+=("$folder/modules/$(basename "$module")")
  ln -s "$module" "${spaced_modules[-1]}"
done

"$scripts/module-imports.sh" "$folder/imports.ld" "${spaced_objects[@]}" -- "${spaced_archives[@]}" ||
  fail "module-imports.sh failed in $folder"
cmp -s "$imports" "$folder/imports.ld" || fail "the imports written in $folder differ: $(head -c 200 "$folder/imports.ld")"
cmp -s "$imports.dynamic" "$folder/imports.ld.dynamic" || fail "the dynamic list written in $folder differs"
"$scripts/module-build-ids.sh" "$folder/ids.cpp" "${spaced_modules[@]}" || fail "module-build-ids.sh failed in $folder"
cmp -s "$ids" "$folder/ids.cpp" || fail "the build ids written in $folder differ"

# A file the step cannot read: case | the arguments after the output.
missing="$folder/gone.o"
cases=(
  "a missing object|$missing ${spaced_objects[0]@Q} -- ${spaced_archives[0]@Q}"
  "a missing archive|${spaced_objects[0]@Q} -- ${spaced_archives[0]@Q} ${missing@Q}"
)
for row in "${cases[@]}"; do
  name=${row%%|*}
  eval "arguments=(${row#*|})"
  rm -f "$folder/out.ld"
  if "$scripts/module-imports.sh" "$folder/out.ld" "${arguments[@]}" 2>/dev/null; then
    fail "module-imports.sh succeeded with $name"
  fi
done
! "$scripts/module-build-ids.sh" "$folder/out.cpp" "$missing" 2>/dev/null || fail "module-build-ids.sh succeeded with a missing module"
echo "the module steps write the same files in '$folder' and stop on a file they cannot read"
