#!/usr/bin/env bash
# The instance tests, run as the test suite runs them, under a TMPDIR as users have one: short,
# private (0700, as libpam-tmpdir makes it) and with a space; then long. Where another user has
# to enter or their sockets would not fit, the tests' folders lie elsewhere; nothing is left in
# TMPDIR.
# Usage: under_user_tmpdir.sh <unit_tests>
set -euo pipefail
tests=$(cd "$(dirname "$0")/../.." && pwd)
private=$(mktemp -d "/tmp/tuftle XXXXXX")
trap 'rm -rf "$private"' EXIT
long=$private/$(printf '%060d' 0)
run_in() {
  TMPDIR=$1 "$tests/in_own_folders.sh" "$2" \
    --gtest_filter='SingleInstance*:InstanceLock*:InstanceHandover*'
  local left
  left=$(find "$private" -mindepth 1 -not -path "$long")
  [[ -z $left ]] || { printf 'left in TMPDIR=%s:\n%s\n' "$1" "$left" >&2; exit 1; }
}
run_in "$private" "$1"
# Open to all, so that only its length counts.
chmod 711 "$private"
mkdir -m 711 "$long"
run_in "$long" "$1"
