#!/usr/bin/env bash
# Installs Debian packages for the project's scripts, without recommends, surviving a package
# mirror that is out of step with itself:
#
#   scripts/apt-install.sh PACKAGE...
#
# A mirror in the middle of a sync can serve one architecture's index with a size its release
# file does not list (seen for i386 of the security suite for days). apt-get update then fails
# for that index alone; the lists it did get are still good. When the install then cannot
# resolve (an amd64 library newer in the security suite than the i386 copy that is known), it is
# tried once more preferring the release's own suite, whose architectures agree.
set -uo pipefail
(($# > 0)) || exit 0
if [ "$(id -u)" -ne 0 ]; then
    echo "apt-install: only root can install $*" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
for attempt in 1 2; do
    apt-get update -qq -o Acquire::Retries=3 >/dev/null 2>&1 && break
    echo "apt-install: package lists incomplete (attempt $attempt)" >&2
    sleep 5
done
log=$(mktemp)
trap 'rm -f "$log"' EXIT
apt_install() { apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1; }
apt_install "$@" && exit 0
codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
if [ -n "$codename" ] && apt_install -o APT::Default-Release="$codename" "$@"; then
    echo "apt-install: installed from $codename itself (its updates' lists are out of step)"
    exit 0
fi
echo "apt-install: could not install $*:" >&2
tail -n 20 "$log" >&2
exit 1
