#!/usr/bin/env bash
# What a user sees of lookout.exe: its version (2.01.0003, in German), its 32x32 icon in 16 colours,
# its size at every display scaling, and that it needs only the system's own DLLs.
# Usage: tests/windows/exe_resources.sh LOOKOUT_EXE; prints what is wrong, fails if anything is.
set -uo pipefail
exe=$1 failed=0 work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*"; failed=1; }

wrestool -l "$exe" | grep -q -- '--type=16 --name=1 --language=1031' || fail "no German version block"
wrestool -x --raw --type=16 "$exe" >"$work/version"
fixed=$(od -An -tx4 -j48 -N16 "$work/version" | xargs) # file and product version in the fixed part
[[ $fixed == "00020001 00000003 00020001 00000003" ]] || fail "the version numbers are $fixed, not 2.1.0.3"
for name in FileVersion ProductVersion; do
  strings -el "$work/version" | grep -A1 -x "$name" | tail -1 | grep -qx '2\.01\.0003' || fail "$name is not 2.01.0003"
done
wrestool -x --type=14 "$exe" -o "$work/icon.ico" && icotool -l "$work/icon.ico" 2>/dev/null |
  grep -q -- '--width=32 --height=32 --bit-depth=4' || fail "no 32x32 icon in 16 colours"
# Not DPI-aware: the system scales the head to the display's scaling.
wrestool -x --raw --type=24 "$exe" >"$work/manifest"
grep -q 'dpiAware' "$work/manifest" && fail "the manifest declares the program DPI-aware"
unexpected=$(x86_64-w64-mingw32-objdump -p "$exe" | grep -oP 'DLL Name: \K.*' | sed 's/\.dll$//I' |
  grep -vixE 'advapi32|gdi32|kernel32|msvcrt|user32')
[[ -z $unexpected ]] || fail "needs DLLs that are not the system's: $unexpected"
((failed == 0)) && echo "lookout.exe: version, icon and imports as they should be"
exit "$failed"
