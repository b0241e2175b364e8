#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target from the argument texts the tests use.

    make_seeds.py OUT_DIR

Texts come from the feature calls of tests/scripts/*.btm and from the string literals of the
unit tests (tests/unit/*.cpp) that call a target: a feature of the table (src/frame/features.def)
by its export (f_bload, _bloadsize, bbdump) or a parser by its name (SplitArguments), in the file
itself or in a header of tests/unit it includes. A function whose syntax begins with a handle
also gets each text after a handle ("00A41000,"). Buffer handles and batch variables become the token of a live
buffer, so that the seeds get past the handle check. OUT_DIR/<target>/ is made anew for each
target; the build makes the corpus in build/PRESET/tests/fuzz-corpus.
"""
import hashlib
import pathlib
import re
import shutil
import sys

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "cmake"))
from feature_lists import read_table  # noqa: E402

SETUP = 0x2E  # buffers of 4096 and 256 bytes; see fuzz_harness.cpp
# The second byte places a fault (fuzz_input.h): each text runs without one and with the first
# call that can fail failing, from which the fuzzer moves the fault along.
FAULTS = (0, 1)

# The parsers' fuzz programs, named as fuzz_harness.cpp names them, and the function each tries.
PARSERS = {"split_arguments": "SplitArguments", "parse_u32": "ParseU32", "parse_u64": "ParseU64",
           "parse_s64": "ParseS64", "parse_size": "ParseSize",
           "parse_buffer_handle": "ParseBufferHandle"}
_, FEATURES = read_table(ROOT)
FUNCTIONS = {f.name for f in FEATURES if f.kind == "FUNCTION"}
VARIABLES = {f.name for f in FEATURES if f.kind == "VARIABLE"}
COMMANDS = {f.name for f in FEATURES if f.kind == "COMMAND"}
# The functions whose first argument is a buffer handle.
HANDLE_FIRST = {f.name for f in FEATURES if re.match(r"@\w+\[handle[,\[\]]", f.syntax)}
HANDLE = re.compile(r"\b[0-9A-Fa-f]{8}\b|%\[?[A-Za-z_][A-Za-z0-9_]*\]?")


def encode(text, fault):
    out = bytearray([SETUP, fault])
    slot = 0
    at = 0
    for match in HANDLE.finditer(text):
        out += encode_units(text[at:match.start()])
        out.append(0xF0 + slot % 3)
        slot += 1
        at = match.end()
    out += encode_units(text[at:])
    return bytes(out)


def encode_units(text):
    out = bytearray()
    for ch in text:
        code = ord(ch)
        if 0 < code < 0x80:
            out.append(code)
        elif code < 0x10000:
            out += bytes([0xF8, code & 0xFF, code >> 8])
    return out


def unescape(literal):
    return (literal.replace('\\"', '"').replace("\\t", "\t").replace("\\r", "\r")
            .replace("\\n", "\n").replace("\\\\", "\\"))


def script_texts():
    found = {}
    command = re.compile(r"\s*(" + "|".join(sorted(COMMANDS)) + r")\b(.*)", re.IGNORECASE)
    for script in sorted((ROOT / "tests" / "scripts").glob("*.btm")):
        for line in script.read_text(errors="replace").splitlines():
            for match in re.finditer(r"@([A-Za-z]+)\[", line):
                name = match.group(1).lower()
                if name not in FUNCTIONS:
                    continue
                depth, end = 1, match.end()
                while end < len(line) and depth > 0:
                    depth += {"[": 1, "]": -1}.get(line[end], 0)
                    end += 1
                found.setdefault(name, set()).add(line[match.end():end - 1])
            called = command.match(line)
            if called:
                found.setdefault(called.group(1).lower(), set()).add(called.group(2).strip())
    return found


def without_comments(source):
    return re.sub(r"//[^\n]*|/\*.*?\*/", "", source, flags=re.S)


def unit_files():
    """Each unit test file with the targets it calls, itself or through a header it includes."""
    unit = ROOT / "tests" / "unit"
    identifiers = {target: function for target, function in PARSERS.items()}
    identifiers.update({f.name: {"FUNCTION": "f_", "VARIABLE": "_", "COMMAND": ""}[f.kind] + f.name
                        for f in FEATURES})
    headers = {path.name: without_comments(path.read_text(errors="replace"))
               for path in unit.glob("*.h")}
    files = {}
    for path in sorted(unit.glob("*.cpp")):
        source = path.read_text(errors="replace")
        code = without_comments(source)
        code += "".join(headers.get(name, "") for name in re.findall(r'#include "(\w+\.h)"', code))
        called = {target for target, identifier in identifiers.items()
                  if re.search(r"(?<![\w\"])" + re.escape(identifier) + r"(?![\w\"])", code)}
        if called:
            files[path.name] = (source, called)
    return files


def unit_texts():
    found = {}
    for name, (source, targets) in unit_files().items():
        literals = {unescape(m) for m in re.findall(r'u"((?:[^"\\]|\\.)*)"', source)}
        if "bblist" in targets:
            literals |= {unescape(m) for m in re.findall(r'List\("((?:[^"\\]|\\.)*)"', source)}
        for target in targets - VARIABLES:  # a variable takes no text
            texts = found.setdefault(target, set())
            for literal in literals:
                texts.add(literal)
                if target in HANDLE_FIRST:
                    texts.add("00A41000," + literal)
    return found


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    corpus = pathlib.Path(argv[1])
    seeds = {name: {""} for name in VARIABLES}
    for source in (script_texts(), unit_texts()):
        for target, texts in source.items():
            seeds.setdefault(target, set()).update(texts)
    if corpus.exists():
        shutil.rmtree(corpus)
    for target, texts in sorted(seeds.items()):
        directory = corpus / target
        directory.mkdir(parents=True)
        for text in sorted(texts):
            for fault in FAULTS:
                data = encode(text, fault)
                (directory / hashlib.sha1(data).hexdigest()).write_bytes(data)
    print(f"make_seeds: {sum(len(texts) for texts in seeds.values()) * len(FAULTS)} seeds for "
          f"{len(seeds)} targets in {corpus}")


if __name__ == "__main__":
    main(sys.argv)
