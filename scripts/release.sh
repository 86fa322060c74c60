#!/usr/bin/env bash
# Publishing a release: builds the release exe and packages with the channel
# of packaging/update-channel.txt, writes and signs the update manifest,
# checks it with the program's own code under Wine, and lists what to upload.
#
#   bash scripts/release.sh PRIVATE_KEY.pem "One line for the update offer"
#
# VT_CHANNEL_FILE names another channel file (a trial run against a test key).
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -eq 2 ] || { echo "usage: $0 PRIVATE_KEY.pem NOTE" >&2; exit 2; }
key=$1 note=$2
channel_file=${VT_CHANNEL_FILE:-$PWD/packaging/update-channel.txt}
fail() { echo "release: $*" >&2; exit 1; }

value() { sed -n "s/^$1=//p" "$channel_file" | head -n 1; }
url=$(value url) public=$(value key)
[ -n "$url" ] && [ -n "$public" ] || fail "$channel_file has no url= or no key=; fill it in first"
case "$url" in https://*) ;; *) fail "the channel address must begin with https://" ;; esac
# The note is one line of the manifest: printable ASCII only.
LC_ALL=C
[[ "$note" =~ ^[\ -~]*$ ]] || fail "the note must be one line of printable ASCII"

# The key must be the one whose public half the builds carry.
mine=$(openssl ec -in "$key" -pubout -outform DER 2>/dev/null | tail -c 64 | od -An -tx1 -v | tr -d ' \n') ||
  fail "cannot read the private key $key"
[ "${mine,,}" = "${public,,}" ] || fail "$key does not match the public key in $channel_file"

bash scripts/deps.sh
export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
build=$PWD/build/release
cmake --preset release -DVT_CHANNEL_FILE="$channel_file" >/dev/null
cmake --build --preset release
cmake --build --preset release --target package >/dev/null

version=$(sed -n 's/^#define VT_VERSION_\(MAJOR\|MINOR\) \([0-9]*\)$/\2/p; s/^#define VT_VERSION_REVISION \([0-9]*\)$/\1/p' src/version.h | paste -sd.)
setup=Vel-Tarrow-Setup-$version.exe zip=Vel-Tarrow-$version-win64.zip
[ -f "$build/$setup" ] || fail "the build made no $setup"

# The manifest: the setup file sits beside it on the channel.
out=$build/upload
rm -rf "$out" && mkdir -p "$out"
cp "$build/$setup" "$build/$zip" "$out/"
# The administrators' MSI and policy templates, where wixl made them.
for f in "$build/Vel-Tarrow-$version-x64.msi" "$build/Vel-Tarrow-$version-PolicyDefinitions.zip"; do
  [ ! -f "$f" ] || cp "$f" "$out/"
done
{
  echo "version=$version"
  echo "url=${url%/*}/$setup"
  echo "size=$(stat -c %s "$out/$setup")"
  echo "sha256=$(sha256sum "$out/$setup" | cut -d' ' -f1)"
  [ -z "$note" ] || echo "note=$note"
} >"$out/update.body"

# ECDSA over SHA-256; OpenSSL writes DER, the manifest carries r then s, 32 bytes each.
openssl dgst -sha256 -sign "$key" -out "$out/update.der" "$out/update.body"
sig=$(openssl asn1parse -inform DER -in "$out/update.der" | sed -n 's/.*INTEGER *://p' |
  while read -r n; do n=$(echo "$n" | sed 's/^0*//'); printf '%64s' "$n" | tr ' ' 0; done)
[ ${#sig} -eq 128 ] || fail "could not read the signature"
{ cat "$out/update.body"; echo "sig=${sig,,}"; } >"$out/update.txt"
rm "$out/update.body" "$out/update.der"

# The program's own check, with the key the release exe carries.
export VT_WINE_ROOT=$build/wine
bash cmake/wine/setup.sh >/dev/null
bash cmake/wine/run.sh "$build/bin/check_update.exe" "$out/update.txt" "$out/$setup" ||
  fail "the release does not pass the program's own check"
VT_WINE_ROOT=$build/wine bash cmake/wine/teardown.sh >/dev/null 2>&1 || true

echo
echo "Upload these to ${url%/*}/ (update.txt last):"
ls -l "$out"
