#!/bin/sh
# Checks a compiled Korvanite.chm against its project: every file of the project is in it, with
# the contents, the index and the full-text search index, and every feature page is named in
# both the contents and the index. Prints what is missing and fails; silent when all is there.
#
#   sh check_chm.sh CHM HELP_SOURCE_DIRECTORY
set -u
chm=$1
project=$2/Korvanite.hhp
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
missing=0
lack() {
    echo "$chm: $*"
    missing=1
}

chmls -n -p list "$chm" 2>/dev/null | sed -n 's#^/##p' >"$work/list" || lack "cannot be listed"
# The project's files, and what it names as contents and index; full-text search leaves
# $FIftiMain.
sed -n '/^\[FILES\]/,/^\[/{/^\[/d;/^$/d;p}' "$project" | tr -d '\r' >"$work/files"
sed -n 's/^\(Contents\|Index\) file=//p' "$project" | tr -d '\r' >>"$work/files"
grep -qx 'Full-text search=Yes' "$project" && echo '$FIftiMain' >>"$work/files"
while read -r file; do
    grep -qxF "$file" "$work/list" || lack "lacks $file"
done <"$work/files"

for part in Korvanite.hhc Korvanite.hhk; do
    chmls extract "$chm" "/$part" "$work/$part" >/dev/null 2>&1
    for page in $(grep -E '^(f_|v_|bb).*\.html$' "$work/files"); do
        grep -qF "value=\"$page\"" "$work/$part" 2>/dev/null || lack "$part does not name $page"
    done
done
exit $missing
