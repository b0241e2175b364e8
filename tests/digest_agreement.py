#!/usr/bin/env python3
"""@BFILEHASH against Python's hashlib and zlib: random files, and random parts of them counted
from the start or back from the end, in every algorithm, natively, under Wine or on Windows.
Every case is one line of one script that plughost runs; what it prints must be what Python
computes: the digest and _BBLASTERR 0, or 0 and 492 for an offset past the end or before the
start, or 0 and 2 for a file that is not there.

    digest_agreement.py LAUNCHER PLUGHOST WORK_DIRECTORY [CASES [SEED]]

LAUNCHER: the Wine program under Wine, "" natively and on Windows. WORK_DIRECTORY is made
afresh and removed. Ends with "digest_agreement: N passed, M failed".
"""
import hashlib
import os
import random
import shutil
import sys
import zlib

import agreement

ALGORITHMS = ("crc32", "md5", "sha1", "sha256", "sha384", "sha512")
# Sizes about the plug-in's pieces of 1 MiB and the CRC's folds of 64 bytes.
SIZES = (0, 1, 15, 16, 63, 64, 65, 4095, 1048575, 1048576, 1048577, 2621447)


def digest(algorithm, data):
    if algorithm == "crc32":
        return "%08x" % zlib.crc32(data)
    return hashlib.new(algorithm, data).hexdigest()


def expected(data, algorithm, offset, back, length):
    size = len(data)
    if back:
        if offset > size:
            return "0 492"
        offset = size - offset
    elif offset > size:
        return "0 492"
    rest = size - offset
    count = min(length, rest) if length else rest
    return digest(algorithm, data[offset:offset + count]) + " 0"


def number(random_, value):
    return hex(value) if random_.random() < 0.2 else str(value)


def main():
    launcher, plughost, work = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
    cases = int(sys.argv[4]) if len(sys.argv) > 4 else 300
    random_ = random.Random(int(sys.argv[5]) if len(sys.argv) > 5 else 39)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    try:
        files = {}
        for i, size in enumerate(SIZES):
            name = f"f{i}.bin"
            files[name] = random_.randbytes(size)
            with open(os.path.join(work, name), "wb") as f:
                f.write(files[name])
        lines, wanted = [], []
        for case in range(cases):
            name = random_.choice(list(files) + ["missing.bin"])
            data = files.get(name, b"")
            algorithm = random_.choice(ALGORITHMS)
            shown = algorithm.upper() if random_.random() < 0.2 else algorithm
            arguments = [name, shown]
            offset, back, length = 0, False, 0
            kind = random_.random()
            if kind > 0.15:
                back = kind > 0.6
                offset = random_.randint(0, len(data) + 2)
                if random_.random() < 0.1:
                    offset = len(data) + random_.choice((0, 1))
                arguments.append(("-" if back else "") + number(random_, offset))
                if random_.random() < 0.6:
                    length = random_.choice((0, 1, random_.randint(0, len(data) + 10)))
                    arguments.append(number(random_, length))
            lines.append(f"echo {case}: %@bfilehash[{','.join(arguments)}] %_bblasterr")
            wanted.append(f"{case}: " + ("0 2" if name not in files else
                                         expected(data, algorithm, offset, back, length)))
        status, printed = agreement.run_lines(launcher, plughost, work, lines)
        return agreement.judge("digest_agreement", status, printed, list(zip(lines, wanted)),
                               lambda got, want: got == want)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
