#!/usr/bin/env bash
# module-build-ids.sh <out.cpp> <modules...>
# Writes <out.cpp> for the program: the GNU build id of each module it is linked with, by file
# name, which the program asks of a module's file before loading it (app/modules/ModuleLoader.h).
set -euo pipefail
export LC_ALL=C
for tool in readelf sed cmp; do
    command -v "$tool" >/dev/null || { echo "module-build-ids.sh: $tool is not installed" >&2; exit 1; }
done
out=$1
shift
{
    echo "// Written at build time by cmake/module-build-ids.sh."
    echo "#include <string_view>"
    echo
    echo "namespace app::modules {"
    echo
    echo "std::string_view builtModuleIdentity(std::string_view file) {"
    for module in "$@"; do
        notes=$(readelf --notes "$module")
        id=$(sed -n 's/^ *Build ID: *\([0-9a-f]*\)$/\1/p' <<<"$notes")
        [ -n "$id" ] || { echo "module-build-ids.sh: $module has no build id" >&2; exit 1; }
        echo "    if (file == \"$(basename "$module")\") return \"$id\";"
    done
    echo "    return {};"
    echo "}"
    echo
    echo "}  // namespace app::modules"
} >"$out.new"
# Unchanged ids leave the program's object as it is.
if cmp -s "$out.new" "$out"; then rm "$out.new"; else mv "$out.new" "$out"; fi
