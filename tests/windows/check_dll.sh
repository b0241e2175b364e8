#!/usr/bin/env bash
# What a product DLL shows without running it, checked on Linux: its export table, its imports
# (system DLLs and TakeCmd.dll only), its version resource, that it is in the form that ships, and
# the help file built beside it.
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

exports=$($objdump -p "$build/$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
          sed -nE 's/^\s*\[ *[0-9]+\] (.*)$/\1/p' | sort)
# The protocol's exports, and one for each feature of the table: a command under its name, a
# variable function as f_NAME, an internal variable as _NAME.
feature_exports=$(sed -nE 's/^KV_COMMAND\(([a-z0-9_]+)\).*/\1/p; s/^KV_FUNCTION\(([a-z0-9_]+)\).*/f_\1/p;
                          s/^KV_VARIABLE\(([a-z0-9_]+)\).*/_\1/p' src/frame/features.def)
expected=$( (grep -v '^#' "$list"; echo "$feature_exports") | sort)
if [ -n "$exports" ] && [ "$exports" = "$expected" ]; then pass; else
    fail "$dll: export table differs from $list:"
    diff <(echo "$expected") <(echo "$exports")
fi

imports=$($objdump -p "$build/$dll" | sed -nE 's/^\s*DLL Name: (.*)$/\1/p' | tr 'a-z' 'A-Z' | sort -u)
unexpected=$(grep -vxE 'KERNEL32.DLL|USER32.DLL|ADVAPI32.DLL|BCRYPT.DLL|MSVCRT.DLL|TAKECMD.DLL' <<<"$imports")
if [ -n "$imports" ] && [ -z "$unexpected" ]; then pass; else
    fail "$dll: imports beyond system DLLs and TakeCmd.dll: $unexpected"
fi

# The version of CMakeLists.txt's project(), the only statement of it.
version=$(sed -nE 's/^project\(Korvanite VERSION ([0-9]+\.[0-9]+\.[0-9]+\.[0-9]+).*/\1/p' CMakeLists.txt)
version_strings=$(strings -el "$build/$dll")
for field in "Korvanite plugin for Take Command" "$version" "Korvanite" "$dll" \
             "Korvanite plugin" "$version  ($target)" "Build"; do
    if grep -qxF "$field" <<<"$version_strings"; then pass; else
        fail "$dll: version resource lacks \"$field\""
    fi
done

if bash tests/windows/check_release_dll.sh "$build/$dll" "$root"; then pass; else
    fail "$dll is not in the form that ships"
fi
if sh tests/windows/check_chm.sh "$build/Korvanite.chm" src/resources/help; then pass; else
    fail "$build/Korvanite.chm lacks what its project names"
fi

echo "check_dll: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
