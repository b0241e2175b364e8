#!/usr/bin/env bash
# Checks that a product DLL is in the form that ships: no debug sections and no symbol table
# (they go into DLL.debug beside it), nothing of the checkout's folder (in ASCII or UTF-16, or
# spelt as a symbol name with "_" for every other character), and a debug link that names
# DLL.debug with that file's CRC. Prints what is wrong and fails; silent when all is well.
#
#   bash check_release_dll.sh DLL CHECKOUT_FOLDER
set -uo pipefail
dll=$1
folder=$2
objdump=x86_64-w64-mingw32-objdump # which reads the 32-bit DLL as well
wrong=0
fault() { echo "$dll: $*"; wrong=1; }

debug=$($objdump -h "$dll" | awk '$1 ~ /^[0-9]+$/ && $2 ~ /^\.debug/ { printf " %s", $2 }')
[ -z "$debug" ] || fault "debug sections$debug"
# Each symbol is a line "[index](sec ...)".
symbols=$($objdump -t "$dll" | grep -c '^\[')
[ "$symbols" -eq 0 ] || fault "a symbol table of $symbols symbols"

mangled=$(sed 's/[^A-Za-z0-9]/_/g' <<<"$folder")
found=$({ strings -a "$dll"; strings -a -el "$dll"; } | grep -F -e "$folder" -e "$mangled" | head -n 3)
[ -z "$found" ] || fault "names the checkout's folder: $found"

# The link is the file's name, padding to four bytes, and the CRC-32 of that file.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
x86_64-w64-mingw32-objcopy --dump-section .gnu_debuglink="$work/link" "$dll" "$work/copy" 2>/dev/null
python3 - "$work/link" "$dll.debug" 2>/dev/null <<'END' || fault "no debug link to $dll.debug as it is"
import os, sys, zlib
name = os.path.basename(sys.argv[2]).encode() + b"\0"
name += b"\0" * (-len(name) % 4)
crc = zlib.crc32(open(sys.argv[2], "rb").read()).to_bytes(4, "little")
sys.exit(open(sys.argv[1], "rb").read() != name + crc)
END
exit $wrong
