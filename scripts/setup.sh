#!/usr/bin/env bash
# Installs what a fresh machine lacks to build and test Korvanite. Safe to run again: it only
# installs packages that are missing, with apt-get when run as root.
set -euo pipefail

packages=(cmake g++ make libgtest-dev python3 tmux zip unzip
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          fp-utils)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]} == 0)); then
    exit 0
fi
echo "setup: installing ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "setup: these packages are missing and only root can install them: ${missing[*]}" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# No recommends: fp-utils (the help compiler) would bring the whole Free Pascal compiler.
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
