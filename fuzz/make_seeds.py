#!/usr/bin/env python3
"""Writes the seed corpus of every fuzz target from the argument texts the tests use.

Texts come from the feature calls of tests/scripts/*.btm and from the string literals of the
unit tests of each feature. Buffer handles and batch variables become the token of a live
buffer, so that the seeds get past the handle check. Run from the repository root; the corpus
goes to fuzz/corpus/<target>/.
"""
import hashlib
import pathlib
import re

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT / "fuzz" / "corpus"
SETUP = 0x2E  # buffers of 4096 and 256 bytes; see fuzz_harness.cpp
# The second byte places a fault (fuzz_input.h): each text runs without one and with the first
# call that can fail failing, from which the fuzzer moves the fault along.
FAULTS = (0, 1)

UNIT_FILES = {
    "args_test.cpp": ["split_arguments"],
    "numbers_test.cpp": ["parse_u32", "parse_u64", "parse_s64", "parse_size", "parse_buffer_handle"],
    "store_exports_test.cpp": ["balloc", "bfree", "bfreeall"],
    "content_fill_test.cpp": ["bfill", "brandfill"],
    "content_load_test.cpp": ["bload", "bloadpart"],
    "content_save_test.cpp": ["bsave", "bpatch"],
    "content_compare_copy_test.cpp": ["bmemcmp", "bmemcpy", "bfind", "bhash"],
    "values_peek_test.cpp": ["bpeekx", "bgethex", "bgettext"],
    "values_poke_test.cpp": ["bpokex", "bputhex", "bputtext"],
    "values_modify_test.cpp": ["bmodval"],
    "values_property_test.cpp": ["bpeekx", "bpokex", "bmodval"],
    "bbdump_options_test.cpp": ["bbdump"],
    "bbdump_listing_test.cpp": ["bbdump"],
    "bbdump_text_test.cpp": ["bbdump"],
    "bblist_test.cpp": ["bblist"],
}
# These functions' tests give the text after "handle,".
HANDLE_FIRST = {"bpeekx", "bpokex", "bmodval", "bpatch", "bfind", "bgethex", "bputhex",
                "bgettext", "bputtext", "bhash"}
# The variable functions of the feature table, src/frame/features.def.
TABLE = (ROOT / "src" / "frame" / "features.def").read_text()
FUNCTIONS = set(re.findall(r"^KV_FUNCTION\(([a-z0-9_]+)\)", TABLE, re.MULTILINE))
VARIABLES = set(re.findall(r"^KV_VARIABLE\(([a-z0-9_]+)\)", TABLE, re.MULTILINE))
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
            command = re.match(r"\s*(bbdump|bblist)\b(.*)", line, re.IGNORECASE)
            if command:
                found.setdefault(command.group(1).lower(), set()).add(command.group(2).strip())
    return found


def unit_texts():
    found = {}
    for name, targets in UNIT_FILES.items():
        source = (ROOT / "tests" / "unit" / name).read_text(errors="replace")
        literals = {unescape(m) for m in re.findall(r'u"((?:[^"\\]|\\.)*)"', source)}
        if "bblist" in targets:
            literals |= {unescape(m) for m in re.findall(r'List\("((?:[^"\\]|\\.)*)"', source)}
        for target in targets:
            texts = found.setdefault(target, set())
            for literal in literals:
                texts.add("00A41000," + literal if target in HANDLE_FIRST else literal)
    return found


def main():
    seeds = {name: {""} for name in VARIABLES}
    for source in (script_texts(), unit_texts()):
        for target, texts in source.items():
            seeds.setdefault(target, set()).update(texts)
    for target, texts in sorted(seeds.items()):
        directory = CORPUS / target
        directory.mkdir(parents=True, exist_ok=True)
        for text in sorted(texts):
            for fault in FAULTS:
                data = encode(text, fault)
                (directory / hashlib.sha1(data).hexdigest()).write_bytes(data)
        print(f"{target}: {len(texts) * len(FAULTS)} seeds")


if __name__ == "__main__":
    main()
