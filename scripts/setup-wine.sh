#!/usr/bin/env bash
# Makes this Linux machine run Windows programs: 64-bit Wine, and 32-bit Wine with qemu's
# user-mode emulator registered for 32-bit x86 programs (the kernel runs none itself). Safe to
# run again: it installs and registers only what is missing. Needs root for that.
set -euo pipefail
here=$(dirname "$0")

if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
packages=(wine wine32:i386 wine64)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
        missing+=("$package")
done
if ((${#missing[@]} > 0)); then
    echo "setup-wine: installing ${missing[*]}"
    # No recommends: they would bring much that a test run never uses.
    "$here/apt-install.sh" "${missing[@]}"
fi

# The emulator. Before 8.1 qemu looked for room for every mapping made without an address page
# by page through the emulated address space, and Wine makes many: under Debian 12's qemu 7.2 a
# 32-bit Wine program took a minute to start, under 10.0 (from the release's backports) a second.
fast_qemu() { qemu-i386 --version 2>/dev/null | grep -qE 'version ([1-9][0-9]|9|8\.[1-9])\.'; }
if ! fast_qemu; then
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    backports=/etc/apt/sources.list.d/$codename-backports.sources
    if ! grep -rqs "Suites: .*$codename-backports" /etc/apt/sources.list.d; then
        printf '%s\n' "Types: deb" "URIs: http://deb.debian.org/debian" \
            "Suites: $codename-backports" "Components: main" \
            "Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg" >"$backports"
    fi
    echo "setup-wine: installing qemu-user from $codename-backports"
    # The static emulator, which needs nothing of the 32-bit world beside it. Should the
    # backports be out of reach, the release's own emulator serves, slowly.
    "$here/apt-install.sh" "qemu-user/$codename-backports" || "$here/apt-install.sh" qemu-user-static
fi
qemu=$(command -v qemu-i386 || command -v qemu-i386-static)

binfmt=/proc/sys/fs/binfmt_misc
if [ ! -e "$binfmt/register" ]; then
    mount -t binfmt_misc binfmt_misc "$binfmt"
fi
if [ -e "$binfmt/qemu-i386" ] && ! grep -qxF "interpreter $qemu" "$binfmt/qemu-i386"; then
    echo -1 >"$binfmt/qemu-i386" # registered for another emulator
fi
if [ ! -e "$binfmt/qemu-i386" ]; then
    echo ":qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:$qemu:F" >"$binfmt/register"
fi
