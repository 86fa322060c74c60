#!/usr/bin/env bash
# Installs what building and testing Vel-Tarrow needs on Debian 12, if missing.
set -eu
pkgs=(cmake make g++ clang lld libclang-rt-14-dev googletest g++-mingw-w64-x86-64
      wine wine64 xvfb xauth imagemagick nsis wixl msitools python3 openssl)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "run as root (or with sudo) to install them" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
