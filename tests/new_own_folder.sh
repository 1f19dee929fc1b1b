#!/usr/bin/env bash
# Makes a new folder for one test run's own files and prints its path; the caller removes it.
# It lies in $TMPDIR where that leaves room for the sockets the tests make below it and, run as
# root, lets the user the tests become pass through it; else in /tmp, which does both. A TMPDIR
# that is private (libpam-tmpdir's /tmp/user/<uid> as root) or long is left as it is.
# Usage: new_own_folder.sh [name]   (default tuftle; a random ending is added)
set -euo pipefail
LC_ALL=C # lengths in bytes, as a socket's name counts them
name=${1:-tuftle}
# A socket's name holds 107 bytes; the deepest a test makes lies up to 75 below its own folder
# (an instance test's fallback runtime folder, in a temporary folder of the test's own).
longest_folder=$((107 - 75))

usable() {
  local folder=$1
  [[ $folder == /* && -d $folder && -w $folder ]] || return 1
  ((${#folder} + ${#name} + 8 <= longest_folder)) || return 1
  [[ $(id -u) != 0 ]] && return 0
  # Every folder above has to let others pass.
  folder=$(realpath -e "$folder") || return 1
  while (($(stat -c '0%a' "$folder") & 1)); do
    [[ $folder == / ]] && return 0
    folder=$(dirname "$folder")
  done
  return 1
}

base=/tmp
if [[ -n ${TMPDIR:-} ]] && usable "$TMPDIR"; then base=$TMPDIR; fi
folder=$(mktemp -d "${base%/}/$name.XXXXXX")
chmod 711 "$folder"
printf '%s\n' "$folder"
