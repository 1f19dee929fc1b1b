#!/usr/bin/env bash
# module-imports.sh <out> <module objects...> -- <program archives...>
# A module loaded by the program takes part of its code from the program itself. Writes <out>,
# an implicit linker script for the program: every symbol the module's objects leave undefined
# that the program's own archives define is pulled in (EXTERN), even when the program alone
# would not use it, and exported (the dynamic list in <out>.dynamic), so the module binds to the
# program's one copy of each function and global instead of carrying a second.
set -euo pipefail
export LC_ALL=C
for tool in nm sort comm sed; do
    command -v "$tool" >/dev/null || { echo "module-imports.sh: $tool is not installed" >&2; exit 1; }
done
out=$1
shift
objects=()
while [ $# -gt 0 ] && [ "$1" != -- ]; do
    objects+=("$1")
    shift
done
[ $# -gt 1 ] || { echo "module-imports.sh: usage: <out> <objects...> -- <archives...>" >&2; exit 1; }
shift
[ ${#objects[@]} -gt 0 ] || { echo "module-imports.sh: no module objects given" >&2; exit 1; }
# A missing or unreadable file must stop the build: a module written as taking nothing from the
# program links, and fails only when the program loads it.
nm -u --format=just-symbols "${objects[@]}" | sort -u >"$out.undefined"
nm --defined-only --format=just-symbols "${objects[@]}" | sort -u >"$out.own"
# What one of the module's objects leaves to another is no import.
comm -23 "$out.undefined" "$out.own" >"$out.wanted"
nm --defined-only --format=just-symbols "$@" | sort -u >"$out.defined"
comm -12 "$out.wanted" "$out.defined" >"$out.symbols"
if [ -s "$out.symbols" ]; then
    { echo "EXTERN("; cat "$out.symbols"; echo ")"; } >"$out"
else
    echo "/* the module takes nothing from the program */" >"$out"
fi
# A dynamic list may not be empty: main is in every program.
{ echo "{"; sed 's/$/;/' "$out.symbols"; echo "main;"; echo "};"; } >"$out.dynamic"
rm -f "$out.undefined" "$out.own" "$out.wanted" "$out.defined" "$out.symbols"
