#!/usr/bin/env bash
# Attaches the release files to the forge's release of a version tag, with gh (GitHub's command
# line tool): into the tag's release when it has one already, from an earlier run of the
# workflow or made by hand, replacing files of the same name (--clobber); else into a new
# release, which is created for the tag. So the CI's release job can be run again.
#
#   scripts/publish-release.sh TAG FILE...
#
# gh finds the repository from the checkout (or GH_REPO) and its token in GH_TOKEN. Any other
# failure of gh, the look-up included, stops the script with gh's message.
set -euo pipefail
if (($# < 2)); then
    echo "usage: scripts/publish-release.sh TAG FILE..." >&2
    exit 2
fi
tag=$1
shift
for file in "$@"; do
    [ -f "$file" ] || { echo "publish-release: no file $file" >&2; exit 1; }
done

if said=$(gh release view "$tag" 2>&1 >/dev/null); then
    echo "publish-release: $tag has its release: the files replace those of the same name"
    gh release upload "$tag" --clobber "$@"
elif [ "$said" = "release not found" ]; then
    echo "publish-release: $tag has no release yet: it is created"
    gh release create "$tag" --verify-tag --title "Korvanite $tag" \
        --notes "Korvanite-x64.dll and Korvanite-x86.dll with Korvanite.chm and INSTALL.txt; see INSTALL.txt in the zip." \
        "$@"
else
    echo "publish-release: gh cannot tell whether $tag has a release: $said" >&2
    exit 1
fi
