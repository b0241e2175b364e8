#!/usr/bin/env bash
# Installs what a fresh machine lacks to build and test Korvanite. Safe to run again: it only
# installs packages that are missing, with apt-get when run as root.
#
#   scripts/setup.sh [--dry-run] [all | native-demo]
#
# all (the default): the native build and its tests, the Windows cross builds with the help
# compiler, and the tools of the tests and the package. native-demo: what scripts/demo.sh needs
# to build plughost and the plug-in natively, without their tests. --dry-run installs nothing and
# lists the set's packages instead, one a line, each missing one marked "missing".
set -euo pipefail

usage() {
    echo "usage: scripts/setup.sh [--dry-run] [all | native-demo]" >&2
    exit 2
}
dry_run=0
set_name=all
for arg in "$@"; do
    case $arg in
    --dry-run) dry_run=1 ;;
    all | native-demo) set_name=$arg ;;
    *) usage ;;
    esac
done

native_build=(cmake g++ make libssl-dev)
case $set_name in
native-demo) packages=("${native_build[@]}") ;;
all)
    packages=("${native_build[@]}" libgtest-dev python3 tmux zip unzip
              g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64
              binutils-mingw-w64-x86-64 fp-utils)
    ;;
esac

missing=()
for package in "${packages[@]}"; do
    if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        ((dry_run)) && echo "$package"
    else
        ((dry_run)) && echo "$package missing"
        missing+=("$package")
    fi
done
if ((dry_run || ${#missing[@]} == 0)); then
    exit 0
fi
echo "setup: installing ${missing[*]}"
# No recommends: fp-utils (the help compiler) would bring the whole Free Pascal compiler.
"$(dirname "$0")/apt-install.sh" "${missing[@]}"
