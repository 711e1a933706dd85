#!/usr/bin/env bash
# Installs lookout into a scratch prefix with a blank and a "%" in its name and checks the desktop
# entry there: valid without a word, starting the program installed beside it.
# Usage: desktop_entry_test.sh BUILD-FOLDER
set -euo pipefail
echo "Installing into a scratch prefix and checking its desktop entry..."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix="$work/my apps%1"
cmake --install "$1" --prefix "$prefix" >/dev/null
entry="$prefix/share/applications/lookout.desktop"
report=$(desktop-file-validate "$entry" 2>&1) || true
[[ -z $report ]] || { echo "desktop-file-validate: $report"; exit 1; }
line=$(grep '^Exec=' "$entry")
[[ $line == "Exec=\"$work/my apps%%1/bin/lookout\"" && -x $prefix/bin/lookout ]] || { echo "not the program installed: $line"; exit 1; }
echo "passed: $line"
