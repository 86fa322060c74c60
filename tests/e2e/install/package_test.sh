#!/usr/bin/env bash
# Makes the packages as the README says and checks what each one holds.
# Usage: package_test.sh <build dir> <version> <company>
set -u
bin=$1 version=$2 company=$3
fail=0
check() {  # check <what> <command...>
  local what=$1; shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; fail=1; fi
}

zip=$bin/Vel-Tarrow-$version-win64.zip
setup=$bin/Vel-Tarrow-Setup-$version.exe
msi=$bin/Vel-Tarrow-$version-x64.msi
templates=$bin/Vel-Tarrow-$version-PolicyDefinitions.zip
rm -f "$zip" "$setup" "$msi" "$templates"
cmake --build "$bin" --target package >"$bin/package-test.log" 2>&1 ||
  { tail -20 "$bin/package-test.log"; echo "FAILED: the package target"; exit 1; }

top=Vel-Tarrow-$version-win64
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
(cd "$tmp" && cmake -E tar xf "$zip")
exe=$tmp/$top/Vel-Tarrow.exe
check "the ZIP holds the exe, the help page, the readme and the licence" \
  test "$(cd "$tmp" && find . -type f | sort | tr '\n' ' ')" = \
  "./$top/LICENSE.txt ./$top/README.txt ./$top/Vel-Tarrow-Help.htm ./$top/Vel-Tarrow.exe "
check "the exe is stripped" grep -qx 'no symbols' <(x86_64-w64-mingw32-objdump -t "$exe")

crlf() { [ -s "$1" ] && [ "$(grep -c $'\r$' "$1")" = "$(wc -l <"$1")" ]; }
check "README.txt and LICENSE.txt have Windows line endings" \
  eval 'crlf "$tmp/$top/README.txt" && crlf "$tmp/$top/LICENSE.txt"'
check "the readme names this version" grep -q "^Vel-Tarrow $version " "$tmp/$top/README.txt"
check "the licence is MIT, by the company of the version information" \
  grep -q "^Copyright (c) [0-9]* $company"$'\r'"$" "$tmp/$top/LICENSE.txt"
# Its fixed version information: signature, structure version, then minor,
# major, build, revision as 16-bit little-endian numbers.
IFS=. read -r major minor revision <<<"$version"
le16() { printf '%02x%02x' $(($1 & 255)) $(($1 >> 8)); }
check "the installer's version information is this version" grep -q \
  "bd04effe........$(le16 $minor)$(le16 $major)0000$(le16 $revision)" \
  <(od -An -tx1 -v "$setup" | tr -d ' \n')

# The upgrade code never changes: a newer MSI finds the installed one by it.
check "the MSI: this version, the company, the upgrade code every release keeps" test \
  "$(msiinfo export "$msi" Property | tr -d '\r' |
     grep -E $'^(Manufacturer|ProductVersion|UpgradeCode)\t' | sort | tr '\t\n' '= ')" = \
  "Manufacturer=$company ProductVersion=$version UpgradeCode={F1EC0DBA-A0F6-4C09-93CC-33A65F1A47CA} "
check "the MSI installs the exe, the help page and the licence, the exe at its size" test \
  "$(msiinfo export "$msi" File | tr -d '\r' | tail -n +4 | cut -f3,4 | sort | tr '\t\n' ': ')" = \
  "LICENSE.txt:$(stat -c %s "$tmp/$top/LICENSE.txt") Vel-Tarrow-Help.htm:$(stat -c %s \
  "$tmp/$top/Vel-Tarrow-Help.htm") Vel-Tarrow.exe:$(stat -c %s "$exe") "
(cd "$tmp" && cmake -E tar xf "$templates")
check "the policy templates sit as a PolicyDefinitions folder holds them" \
  test "$(cd "$tmp" && find PolicyDefinitions -type f | sort | tr '\n' ' ')" = \
  "PolicyDefinitions/Vel-Tarrow.admx PolicyDefinitions/en-US/Vel-Tarrow.adml "
exit $fail
