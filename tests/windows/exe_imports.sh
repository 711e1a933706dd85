#!/usr/bin/env bash
# Whether an exe imports only functions that Windows 7 SP1 has (windows7_imports.txt): a direct
# call of a newer one would stop it from starting there ("entry point not found").
# Usage: tests/windows/exe_imports.sh EXE; names each other import and fails if there is any.
set -euo pipefail
known="$(dirname "$0")/windows7_imports.txt"
imports=$(x86_64-w64-mingw32-objdump -p "$1" |
  awk '/DLL Name:/ { dll = tolower($3); next } dll && $1 ~ /^[0-9a-f]+$/ && $NF !~ /^(<none>|[0-9a-f]+)$/ { print dll, $NF } /^$/ { dll = "" }')
[[ -n $imports ]] || { echo "FAILED: no imports read from $1"; exit 1; }
unknown=$(grep -vxFf <(grep -v '^#' "$known") <<<"$imports" || true)
[[ -z $unknown ]] || { echo "FAILED: $(basename "$1") imports functions that are not on the list of Windows 7 SP1's:"; echo "$unknown"; exit 1; }
echo "$(basename "$1"): $(wc -l <<<"$imports") imported functions, all in Windows 7 SP1"
