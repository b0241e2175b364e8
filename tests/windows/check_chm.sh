#!/bin/sh
# Checks a compiled Korvanite.chm against its project: every file of the project is in it, with
# the contents, the index and the full-text search index; every feature page is named in both
# the contents and the index; and its window shows the Contents, Index and Search tabs. Prints
# what is missing and fails; silent when all is there.
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
# The project's lines end in CR LF, as the Windows help compiler writes them: read without the
# CR, or no whole line would match.
tr -d '\r' <"$project" >"$work/project" || lack "cannot read $project"
# The project's files, what it names as contents and index, and the full-text search index
# $FIftiMain, without which the Search tab finds nothing: the project must ask for it.
sed -n '/^\[FILES\]/,/^\[/{/^\[/d;/^$/d;p}' "$work/project" >"$work/files"
sed -n 's/^\(Contents\|Index\) file=//p' "$work/project" >>"$work/files"
grep -qx 'Full-text search=Yes' "$work/project" || lack "$project does not ask for full-text search"
echo '$FIftiMain' >>"$work/files"
while read -r file; do
    grep -qxF "$file" "$work/list" || lack "lacks $file"
done <"$work/files"

for part in Korvanite.hhc Korvanite.hhk; do
    chmls extract "$chm" "/$part" "$work/$part" >/dev/null 2>&1
    for page in $(grep -E '^(f_|v_|bb).*\.html$' "$work/files"); do
        grep -qF "value=\"$page\"" "$work/$part" 2>/dev/null || lack "$part does not name $page"
    done
done
# The window the viewer opens: the project's default window, in #WINDOWS, with its title, contents
# and index, and the Search tab beside them (HHWIN_PROP_TRI_PANE, HHWIN_PROP_TAB_SEARCH).
chmls extract "$chm" "/#WINDOWS" "$work/windows" >/dev/null 2>&1
chmls extract "$chm" "/#STRINGS" "$work/strings" >/dev/null 2>&1
python3 - "$work/windows" "$work/strings" "$work/project" 2>/dev/null <<'END' || lack "has no window with contents, index and Search tab"
import struct, sys
windows, strings = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
project = open(sys.argv[3]).read()
def text(offset):
    return strings[offset:strings.index(b"\0", offset)].decode()
count, size = struct.unpack_from("<2I", windows)
name = project.split("Default Window=")[1].split()[0]
for entry in range(count):
    at = 8 + entry * size
    properties = struct.unpack_from("<I", windows, at + 16)[0]
    caption = struct.unpack_from("<I", windows, at + 20)[0]
    toc, index = struct.unpack_from("<2I", windows, at + 0x60)
    if text(struct.unpack_from("<I", windows, at + 8)[0]) == name and properties & 0x420 == 0x420 \
            and text(caption) and (text(toc), text(index)) == ("Korvanite.hhc", "Korvanite.hhk"):
        sys.exit(0)
sys.exit(1)
END
exit $missing
