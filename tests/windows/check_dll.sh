#!/usr/bin/env bash
# What a product DLL shows without running it, checked on Linux: its export table, its imports
# (function by function, as imports.txt lists them), its version resource, that it is in the
# form that ships, and the help file beside it. BUILD_DIRECTORY is a build folder, or the folder
# the release zips were unpacked into.
#
#   bash tests/windows/check_dll.sh x86|x64 BUILD_DIRECTORY
#
# Ends with the line "check_dll: N passed, M failed" and a nonzero status when anything failed.
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$PWD
target=$1
build=$2
dll=Korvanite-$target.dll
case $target in
    x86) objdump=i686-w64-mingw32-objdump list=tests/windows/exports.txt ;;
    x64) objdump=x86_64-w64-mingw32-objdump list=tests/windows/exports-x64.txt ;;
    *) echo "check_dll: no target $target" >&2; exit 2 ;;
esac
passed=0
failed=0
pass() { passed=$((passed + 1)); }
fail() { echo "FAILED: $*"; failed=$((failed + 1)); }

# The DLL's headers, tables and directories, which the checks below read.
headers=$($objdump -p "$build/$dll")
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" |
          sed -nE 's/^\s*\[ *[0-9]+\] (.*)$/\1/p' | sort)
# The protocol's exports, and one for each feature of the table: a command under its name, a
# variable function as f_NAME, an internal variable as _NAME.
feature_exports=$(sed -nE 's/^KV_COMMAND\(([a-z0-9_]+),.*/\1/p; s/^KV_FUNCTION\(([a-z0-9_]+),.*/f_\1/p;
                          s/^KV_VARIABLE\(([a-z0-9_]+),.*/_\1/p' src/frame/features.def)
expected=$( (grep -v '^#' "$list"; echo "$feature_exports") | sort)
if [ -n "$exports" ] && [ "$exports" = "$expected" ]; then pass; else
    fail "$dll: export table differs from $list:"
    diff <(echo "$expected") <(echo "$exports")
fi

# Every imported function, as DLL!NAME (the DLL in capitals), against the list of the target: a
# new import, a function of a later Windows, an api-ms-win-* set or a compiler runtime shows
# up as a difference.
imports=$(awk '
    /^\tDLL Name: / { dll = toupper($3); next }
    /^\tvma: / { next }
    dll != "" && /^\t[0-9a-f]+[ \t]+[0-9]+[ \t]+[A-Za-z_]/ { print dll "!" $3; next }
    /^$/ { dll = "" }' <<<"$headers" | sort -u)
# The list's lines for this target, one DLL!NAME a line.
listed=$(sed -nE "s/^($target )?([A-Z0-9]+\.DLL): /\2 /p" tests/windows/imports.txt |
         awk '{ for (i = 2; i <= NF; ++i) print $1 "!" $i }' | sort -u)
if [ -n "$imports" ] && [ "$imports" = "$listed" ]; then pass; else
    fail "$dll: imports differ from tests/windows/imports.txt:"
    diff <(echo "$listed") <(echo "$imports")
fi

# The version of CMakeLists.txt's project(), the only statement of it.
version=$(sed -nE 's/^project\(Korvanite VERSION ([0-9]+\.[0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
version_strings=$(strings -el "$build/$dll")
# The author of plugin_identity.h and the copyright line of LICENSE, their only statements.
author=$(sed -nE 's/.*kAuthor\[\] = u"([^"]+)".*/\1/p' src/frame/plugin_identity.h)
copyright=$(grep -m 1 '^Copyright (c) ' LICENSE)
for field in "Korvanite plugin for Take Command" "$version" "Korvanite" "$dll" \
             "Korvanite plugin" "$version  ($target)" "Build"; do
    if grep -qxF "$field" <<<"$version_strings"; then pass; else
        fail "$dll: version resource lacks \"$field\""
    fi
done
for pair in "CompanyName=$author" "LegalCopyright=$copyright"; do
    key=${pair%%=*}
    if [ "$(grep -xF -A 1 "$key" <<<"$version_strings" | sed -n 2p)" = "${pair#*=}" ]; then pass; else
        fail "$dll: version resource lacks $key \"${pair#*=}\""
    fi
done
# The fixed part of the resource: FILEVERSION and PRODUCTVERSION as four numbers each.
fixed=$(python3 - "$build/$dll" <<'END'
import struct, sys
data = open(sys.argv[1], "rb").read()
at = data.find(struct.pack("<I", 0xFEEF04BD))
if at >= 0:
    ms, ls, pms, pls = struct.unpack_from("<4I", data, at + 8)
    print("%d.%d.%d.%d %d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF,
                                       pms >> 16, pms & 0xFFFF, pls >> 16, pls & 0xFFFF))
END
)
if [ "$fixed" = "$version $version" ]; then pass; else
    fail "$dll: FILEVERSION and PRODUCTVERSION are \"$fixed\", not $version"
fi

# A crash address read as docs/release.md says: four bytes into f_balloc, its address the
# DLL's ImageBase plus the RVA of its export, looked up in DLL.debug, names f_balloc (x86 gives
# the stdcall name) and its source line.
index=$(sed -nE 's/^\s*\[ *([0-9]+)\] f_balloc$/\1/p' <<<"$headers")
rva=$(sed -nE "s/^\s*\[ *${index:-x}\] \+base\[ *[0-9]+\] +([0-9a-f]+) Export RVA$/\1/p" <<<"$headers")
image_base=$(sed -nE 's/^ImageBase\s+([0-9a-f]+)$/\1/p' <<<"$headers")
looked_up=$(${objdump%-objdump}-addr2line -f -C -i -e "$build/$dll.debug" \
            "$(printf '0x%x' $((0x${image_base:-0} + 0x${rva:-0} + 4)))" | tr '\n' ' ')
stdcall=""
[ "$target" = x86 ] && stdcall=@4
if [[ $looked_up =~ ^f_balloc$stdcall\ \./src/store/balloc\.cpp:[0-9]+\ $ ]]; then pass; else
    fail "$dll: a crash address in f_balloc reads \"$looked_up\" through $dll.debug"
fi

if bash tests/windows/check_release_dll.sh "$build/$dll" "$root"; then pass; else
    fail "$dll is not in the form that ships"
fi
# The help project as the build makes it from src/resources/help and the table of features.
project=$(mktemp -d)
python3 cmake/feature_lists.py help "$root" "$project/help"
if sh tests/windows/check_chm.sh "$build/Korvanite.chm" "$project/help"; then pass; else
    fail "$build/Korvanite.chm lacks what its project names"
fi
rm -rf "$project"

echo "check_dll: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
