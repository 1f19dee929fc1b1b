#!/usr/bin/env bash
# Runs a test program with a home, settings, data, cache, runtime and temporary folder of its
# own, removed afterwards: nothing a test or its toolkit writes lands in the user's. The folders
# lie in one made by new_own_folder.sh, short enough for socket names and open to the user
# tests run as root become.
# Usage: in_own_folders.sh <program> [arguments...]
set -euo pipefail
own=$("$(dirname "$0")/new_own_folder.sh")
# A test may leave a folder it made unreadable behind.
trap 'chmod -R u+rwx "$own" 2>/dev/null; rm -rf "$own"' EXIT
mkdir -m 700 "$own/home" "$own/runtime"
# The temporary folder is shared as /tmp is: tests run as root drop to another user in it.
mkdir -m 1777 "$own/tmp"
status=0
HOME=$own/home XDG_CONFIG_HOME=$own/home/.config XDG_DATA_HOME=$own/home/.local/share \
  XDG_STATE_HOME=$own/home/.local/state XDG_CACHE_HOME=$own/home/.cache XDG_RUNTIME_DIR=$own/runtime \
  TMPDIR=$own/tmp "$@" || status=$?
exit $status
