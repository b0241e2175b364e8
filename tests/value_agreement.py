#!/usr/bin/env python3
"""@BSIZE, @BDIFF, @BPEEKF and @BPOKEF against Python's len, bytes comparison and struct, on
random data, natively, under Wine or on Windows. Every case is one line of one script that
plughost runs; what it prints must be what Python computes:
  - @BSIZE of buffers allocated and loaded from random files: len;
  - @BDIFF of random ranges of a random buffer and of a copy with a few bytes changed: the first
    index where the two slices differ, or -1;
  - @BPEEKF of numbers of every kind (normal, subnormal, zero, infinite, NaN) and of random bytes
    at any offset, in both byte orders: a text that reads back to struct.unpack's number, with
    its sign, "nan" or "-nan" for a NaN;
  - @BPOKEF of random numbers' texts, subnormals, infinities, NaNs, and values too large for
    4 bytes: the bytes struct.pack writes, or the refusal where struct.pack overflows and no byte
    written.

    value_agreement.py LAUNCHER PLUGHOST WORK_DIRECTORY [CASES [SEED]]

LAUNCHER: the Wine program under Wine, "" natively and on Windows. WORK_DIRECTORY is made
afresh and removed. Ends with "value_agreement: N passed, M failed".
"""
import math
import os
import random
import shutil
import struct
import sys

import agreement

# struct's formats: size, big-endian.
FORMATS = {(4, False): "<f", (8, False): "<d", (4, True): ">f", (8, True): ">d"}
# Sizes of the compared buffer, about @BDIFF's pieces of 16 KiB.
DIFF_SIZE = 70001
PIECE = 16384
FLOAT_SLOTS = 512


def float_bits(random_, n):
    """Bits of a number of n bytes, of a kind chosen at random."""
    exponent_bits, fraction_bits = (8, 23) if n == 4 else (11, 52)
    sign = random_.getrandbits(1) << (8 * n - 1)
    fraction = random_.getrandbits(fraction_bits)
    kind = random_.randrange(6)
    if kind == 0:  # subnormal, or zero
        exponent = 0
        if random_.random() < 0.2:
            fraction = 0
    elif kind == 1:  # infinite or NaN
        exponent = (1 << exponent_bits) - 1
        if random_.random() < 0.4:
            fraction = 0
    elif kind == 2:  # an integer
        value = float(random_.randint(-10**6, 10**6))
        return int.from_bytes(struct.pack("<f" if n == 4 else "<d", value), "little")
    else:
        exponent = random_.randrange(1, (1 << exponent_bits) - 1)
    return sign | exponent << fraction_bits | fraction


def read_back(text, number, n):
    """Whether the text @BPEEKF printed reads back to the number of n bytes that struct read,
    sign included."""
    if math.isnan(number):
        return text == ("-nan" if math.copysign(1, number) < 0 else "nan")
    try:
        value = float(text)
        if n == 4:
            value, = struct.unpack("<f", struct.pack("<f", value))
    except (ValueError, OverflowError):
        return False
    return value == number and math.copysign(1, value) == math.copysign(1, number)


def poke_text(random_, n):
    """A value's text for @BPOKEF: random numbers written in many ways, and the extremes."""
    kind = random_.randrange(8)
    if kind == 0:
        return random_.choice(["inf", "-inf", "+inf", "INF", "Infinity", "-infinity", "nan",
                               "NaN", "-nan", "0", "-0", "+0.0", "1e-50", "-1e-50", "1e-320",
                               "4.9e-324", "2e-324", "1e-46", "1.4e-45", "7e-46",
                               "3.4028234e38", "3.4028235e38", "-3.4028235e38", "3.4028236e38",
                               "1e39", "-1e39", "3.5e38", "1.7976931348623157e308"])
    if kind == 1:  # a 4-byte number's own text
        value, = struct.unpack("<f", struct.pack("<I", float_bits(random_, 4)))
        return repr(value)
    if kind == 2:  # an 8-byte number's own text
        value, = struct.unpack("<d", struct.pack("<Q", float_bits(random_, 8)))
        return repr(value)
    if kind == 3:  # an integer
        return str(random_.randint(-10**9, 10**9))
    # Decimal digits with a point and an exponent, as a user might write them.
    digits = "".join(random_.choice("0123456789") for _ in range(random_.randint(1, 12)))
    point = random_.randint(0, len(digits))
    mantissa = digits[:point] + "." + digits[point:] if random_.random() < 0.7 else digits
    if mantissa == ".":
        mantissa = "0."
    exponent = ""
    if random_.random() < 0.6:
        exponent = random_.choice("eE") + random_.choice(["", "+", "-"]) + str(
            random_.randint(0, 45 if n == 4 else 330))
    return random_.choice(["", "-", "+"]) + mantissa + exponent


def accepts(got, check):
    """Whether a printed line is what Python says: the same text, the refusal's message, or a
    number's text that reads back to it."""
    test, wanted = check
    if test == "same":
        return got == wanted
    if test == "refused":
        return got.endswith("  " + wanted)
    return read_back(got, *wanted)


def main():
    launcher, plughost, work = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
    cases = int(sys.argv[4]) if len(sys.argv) > 4 else 400
    random_ = random.Random(int(sys.argv[5]) if len(sys.argv) > 5 else 39)
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    try:
        lines = []
        checks = []  # (line index of the printed line, a test of it, what Python says)

        def case(line, test, wanted):
            lines.append(line)
            checks.append((line, test, wanted))

        # The buffers: random files loaded whole, and blocks allocated.
        files = []
        for i in range(12):
            size = random_.choice([1, 2, 7, 8, 4095, 4096, 65537, random_.randint(1, 300000)])
            name = f"r{i}.bin"
            with open(os.path.join(work, name), "wb") as f:
                f.write(random_.randbytes(size))
            files.append((name, size))
        for i, (name, size) in enumerate(files):
            lines.append(f"set r{i}=%@bloadpart[{name},0]")
            case(f"echo %@bsize[%r{i}]", "same", str(size))
            lines.append(f"set r{i}=%@bfree[%r{i}]")
        for i in range(12):
            size = random_.choice([1, 3, 1024, random_.randint(1, 5 << 20)])
            shown = f"{size // 1024}K" if size % 1024 == 0 and random_.random() < 0.5 else str(size)
            lines.append(f"set b=%@balloc[{shown}]")
            case("echo %@bsize[%b]", "same", str(size))
            lines.append("set b=%@bfree[%b]")

        # @BDIFF: a random buffer and a copy with a few bytes changed, some at the ends of the
        # pieces it compares at once.
        first = bytearray(random_.randbytes(DIFF_SIZE))
        second = bytearray(first)
        places = [random_.randrange(DIFF_SIZE) for _ in range(6)]
        places += [k * PIECE + d for k in range(1, 5) for d in (-1, 0) if k * PIECE + d < DIFF_SIZE]
        for at in places:
            second[at] ^= 1 << random_.randrange(8)
        for name, data in (("d1.bin", first), ("d2.bin", second)):
            with open(os.path.join(work, name), "wb") as f:
                f.write(data)
        lines.append("set d1=%@bloadpart[d1.bin,0]")
        lines.append("set d2=%@bloadpart[d2.bin,0]")
        for _ in range(cases):
            offset1 = random_.randrange(DIFF_SIZE + 1)
            offset2 = offset1 if random_.random() < 0.7 else random_.randrange(DIFF_SIZE + 1)
            room = DIFF_SIZE - max(offset1, offset2)
            size = random_.choice([0, 1, room, random_.randint(0, room)])
            other, data2 = ("%d2", second) if random_.random() < 0.9 else ("%d1", first)
            arguments = f"%d1,{offset1},{other},{offset2},{size}"
            if size == DIFF_SIZE - offset1 and random_.random() < 0.5:
                arguments = f"%d1,{offset1},{other},{offset2}"
            a, b = first[offset1:offset1 + size], data2[offset2:offset2 + size]
            at = next((i for i in range(size) if a[i] != b[i]), -1)
            case(f"echo %@bdiff[{arguments}]", "same", str(at))

        # @BPEEKF: slots of numbers of every kind, then random bytes at any offset.
        slots = bytearray()
        kinds = []
        for _ in range(FLOAT_SLOTS):
            n, big = random_.choice((4, 8)), random_.random() < 0.5
            bits = float_bits(random_, n)
            slots += bits.to_bytes(n, "big" if big else "little")
            kinds.append((len(slots) - n, n, big))
        with open(os.path.join(work, "f.bin"), "wb") as f:
            f.write(slots)
        lines.append("set f=%@bloadpart[f.bin,0]")
        for offset, n, big in kinds:
            number, = struct.unpack(FORMATS[n, big], slots[offset:offset + n])
            case(f"echo %@bpeekf[%f,{offset},{n},{int(big)}]", "reads", (number, n))
        for _ in range(cases // 2):
            n, big = random_.choice((4, 8)), random_.random() < 0.5
            offset = random_.randrange(DIFF_SIZE - n + 1)
            number, = struct.unpack(FORMATS[n, big], first[offset:offset + n])
            flags = f",{int(big)}" if big or random_.random() < 0.5 else ""
            case(f"echo %@bpeekf[%d1,{offset},{n}{flags}]", "reads", (number, n))

        # @BPOKEF: struct.pack's bytes, or its refusal and the bytes as they were.
        lines.append("set p=%@balloc[16]")
        lines.append("set rc=%@bputhex[%p,0,00000000000000000000000000000000]")
        for _ in range(cases):
            n, big = random_.choice((4, 8)), random_.random() < 0.5
            text = poke_text(random_, n)
            offset = random_.randrange(16 - n + 1)
            flags = f",{int(big)}" if big or random_.random() < 0.5 else ""
            lines.append(f"set rc=%@bputhex[%p,0,{'A5' * 16}]")
            poke = f"echo %@bpokef[%p,{offset},{n},{text}{flags}]"
            try:
                # float() makes infinity of a finite text too large for 8 bytes, where @BPOKEF
                # refuses it as struct.pack refuses one too large for 4.
                if math.isinf(float(text)) and "inf" not in text.lower():
                    raise OverflowError
                packed = struct.pack(FORMATS[n, big], float(text))
                case(poke, "same", "0")
            except OverflowError:
                packed = b"\xa5" * n
                case(poke, "refused",
                     f'Value not in {8 * n}-bit floating-point range: "{text.upper()}"')
            case(f"echo %@bgethex[%p,{offset},{n}]", "same", packed.hex().upper())

        status, printed = agreement.run_lines(launcher, plughost, work, lines)
        return agreement.judge("value_agreement", status, printed,
                               [(line, (test, wanted)) for line, test, wanted in checks], accepts)
    finally:
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
