#!/usr/bin/env bash
# Makes this Linux machine run Windows programs: 32-bit Wine with qemu's user-mode emulator
# registered for 32-bit x86 programs (the kernel runs none itself), and 64-bit Wine. Safe to run
# again: it installs and registers only what is missing. Needs root for that.
set -euo pipefail

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
packages=(wine wine32:i386 wine64 qemu-user-static)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]} > 0)); then
    echo "setup-wine: installing ${missing[*]}"
    # No recommends: they would bring much that a test run never uses. With both widths
    # installed, the wineserver wrapper picks the 64-bit server, which hangs 32-bit programs:
    # scripts/windows-suite.sh starts each width's own server itself.
    "$(dirname "$0")/apt-install.sh" "${missing[@]}"
fi

binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt"
fi
if [ ! -e "$binfmt/qemu-i386" ]; then
    echo ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' >"$binfmt/register"
fi
