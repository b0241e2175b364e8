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
# No recommends: fp-utils (the help compiler) would bring the whole Free Pascal compiler.
"$(dirname "$0")/apt-install.sh" "${missing[@]}"
