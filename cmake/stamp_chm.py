#!/usr/bin/env python3
"""Gives a compiled help file the time of SOURCE_DATE_EPOCH, so that the same sources make the
same bytes. chmcmd writes the time of day it ran, in milliseconds, twice: big-endian in the
file's header and little-endian in entry 10 of its #SYSTEM file. Without SOURCE_DATE_EPOCH the
file is left as it is.

    stamp_chm.py FILE.chm
"""
import os
import struct
import sys


def read_encint(data, at):
    """A CHM directory number: seven bits a byte, most significant first."""
    value = 0
    while True:
        byte = data[at]
        at += 1
        value = (value << 7) | (byte & 0x7F)
        if byte < 0x80:
            return value, at


def system_file_offset(data):
    """Where #SYSTEM lies in the file: it is kept uncompressed, in section 0."""
    name = b"/#SYSTEM"
    at = data.find(bytes([len(name)]) + name)
    if at < 0:
        sys.exit("stamp_chm: no #SYSTEM entry")
    section, at = read_encint(data, at + 1 + len(name))
    offset, at = read_encint(data, at)
    length, at = read_encint(data, at)
    if section != 0:
        sys.exit("stamp_chm: #SYSTEM is not in section 0")
    content_start = struct.unpack_from("<Q", data, 0x58)[0]
    return content_start + offset, length


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    if not epoch:
        return
    millis = (int(epoch) % 86400) * 1000
    path = sys.argv[1]
    data = bytearray(open(path, "rb").read())
    if data[:4] != b"ITSF" or struct.unpack_from("<I", data, 4)[0] != 3:
        sys.exit("stamp_chm: not a version 3 CHM file: " + path)
    struct.pack_into(">I", data, 0x10, millis)
    start, length = system_file_offset(data)
    at, end = start + 4, start + length  # the entries follow a version number
    while at + 4 <= end:
        code, size = struct.unpack_from("<HH", data, at)
        if code == 10 and size == 4:
            struct.pack_into("<I", data, at + 4, millis)
            break
        at += 4 + size
    open(path, "wb").write(data)


if __name__ == "__main__":
    main()
