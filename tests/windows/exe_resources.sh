#!/usr/bin/env bash
# What a user sees of lookout.exe: its version (2.01.0003, in German), its 32x32 icon in 16 colours,
# what it declares of itself to the system, and that it imports only functions Windows 7 SP1 has.
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
# Per-monitor aware, never stretched by the system; Windows 7 to 11; UTF-8 as the 8-bit code page.
wrestool -x --raw --type=24 "$exe" >"$work/manifest"
grep -q '>PerMonitorV2, PerMonitor</dpiAwareness>' "$work/manifest" || fail "the manifest declares no per-monitor DPI awareness"
(($(grep -c '<supportedOS Id=' "$work/manifest") == 4)) || fail "the manifest names not the four systems from Windows 7 to 11"
grep -q '>UTF-8</activeCodePage>' "$work/manifest" || fail "the manifest does not ask for UTF-8"
"$(dirname "$0")/exe_imports.sh" "$exe" >"$work/imports" || { cat "$work/imports"; failed=1; }
((failed == 0)) && echo "lookout.exe: version, icon and imports as they should be"
exit "$failed"
