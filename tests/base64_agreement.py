#!/usr/bin/env python3
"""@BGETB64 and @BPUTB64 against Python's base64 and binascii on random data, natively, under
Wine or on Windows. Every case is one line of one script that plughost runs; what it prints must
be what Python computes:
  - E, S: @BGETB64 of whole buffers and of ranges of them: base64.b64encode;
  - D: @BPUTB64 of Python's texts in either alphabet, padded or not, with blanks strewn in: the
    count and the SHA-256 of the bytes written;
  - R: what @BGETB64 gives of a range, @BPUTB64 writes back as the same bytes, and no other;
  - L: texts in lines (LF, CR LF, or a blank, CR LF and a tab; lines of 4 to 1,000 characters)
    read from files with @BLOAD and @BGETTEXT;
  - V, W: random, mostly bad texts: refused where Python's strict decoder refuses them (after
    the blanks and line breaks are taken out, the URL-safe alphabet turned into the standard
    one and the padding completed), else the bytes it gives.

    base64_agreement.py LAUNCHER PLUGHOST WORK_DIRECTORY [CASES [SEED]]

LAUNCHER: the Wine program under Wine, "" natively and on Windows. WORK_DIRECTORY is made
afresh and removed. Ends with "base64_agreement: N passed, M failed".
"""
import base64
import binascii
import hashlib
import os
import random
import shutil
import sys

import agreement

launcher, plughost, work = sys.argv[1:4]
if os.path.exists(plughost):
    plughost = os.path.abspath(plughost)
cases = int(sys.argv[4]) if len(sys.argv) > 4 else 300
seed = int(sys.argv[5]) if len(sys.argv) > 5 else 39
rng = random.Random(seed)


def length():
    r = rng.random()
    if r < 0.4: return rng.randint(1, 12)
    if r < 0.8: return rng.randint(13, 400)
    if r < 0.95: return rng.randint(401, 6120)
    return rng.choice([6118, 6119, 6120])


def encoded_variants(data):
    std = base64.b64encode(data).decode()
    url = base64.urlsafe_b64encode(data).decode()
    return {"std": std, "std-nopad": std.rstrip("="), "url": url, "url-nopad": url.rstrip("=")}


def reference_decode(text):
    """What @BPUTB64 should write, or None for a refusal: Python's strict decoder after the
    documented normalisation."""
    t = text.replace('"', "").strip(" \t")
    if not t or "," in t:
        return None
    s = "".join(t.split()).replace("-", "+").replace("_", "/")
    if "=" in s and len(s) % 4:
        return None  # padding completes the last group, and only it
    if "=" not in s:
        s += "=" * (-len(s) % 4)
    try:
        data = binascii.a2b_base64(s.encode(), strict_mode=True)
    except binascii.Error:
        return None
    return data or None


lines = ["@echo off"]
expect = {}
# Encoding: bytes put in with @BPUTHEX, read out with @BGETB64.
for k in range(cases):
    data = bytes(rng.getrandbits(8) for _ in range(length()))
    lines.append(f"set b=%@balloc[{len(data)}]")
    for at in range(0, len(data), 2000):
        lines.append(f"set n=%@bputhex[%b,{at},{data[at:at + 2000].hex()}]")
    if len(data) <= 6138:
        lines.append(f"echo E{k} %@bgetb64[%b]")
        expect[f"E{k}"] = base64.b64encode(data).decode()
    # A range inside it, which Python sees as a slice.
    start = rng.randrange(len(data)); count = rng.randint(1, min(300, len(data) - start))
    lines.append(f"echo S{k} %@bgetb64[%b,{start},{count}]")
    expect[f"S{k}"] = base64.b64encode(data[start:start + count]).decode()
    lines.append("set n=%@bfree[%b]")
# Decoding: Python's texts in either alphabet, padded or not, with blanks strewn in.
for k in range(cases):
    data = bytes(rng.getrandbits(8) for _ in range(length()))
    name, text = rng.choice(sorted(encoded_variants(data).items()))
    if rng.random() < 0.3 and len(text) < 6000:
        chars = list(text)
        for _ in range(rng.randint(1, 20)):
            chars.insert(rng.randrange(len(chars) + 1), rng.choice(" \t"))
        text = "".join(chars)
    lines.append(f"set c=%@balloc[{len(data)}]")
    lines.append("set n=FAIL")
    lines.append(f"set n=%@bputb64[%c,0,{text}]")
    lines.append(f"echo D{k} %n %@bhash[%c,sha256]")
    expect[f"D{k}"] = f"{len(data)} {hashlib.sha256(data).hexdigest()}"
    lines.append("set n=%@bfree[%c]")
# Round trips: what @BGETB64 gives of a range, @BPUTB64 writes back as the same bytes.
for k in range(cases):
    data = bytes(rng.getrandbits(8) for _ in range(length()))
    lines.append(f"set b=%@balloc[{len(data)}]")
    for at in range(0, len(data), 2000):
        lines.append(f"set n=%@bputhex[%b,{at},{data[at:at + 2000].hex()}]")
    start = rng.randrange(len(data)); count = rng.randint(1, len(data) - start)
    count = min(count, 6120)
    lines.append(f"set c=%@balloc[{count + 2}]")
    lines.append(f"set n=FAIL")
    lines.append(f"set n=%@bputb64[%c,1,%@bgetb64[%b,{start},{count}]]")
    lines.append(f"echo R{k} %n %@bmemcmp[%b,{start},%c,1,{count}] %@bpeekx[%c,0,1] "
                 f"%@bpeekx[%c,{count + 1},1]")
    expect[f"R{k}"] = f"{count} 0 0 0"
    lines.append("set n=%@bfree[%b] %@bfree[%c]")
# Line breaks: Python's text in lines (LF or CR LF, 76 characters or fewer), read from a file.
files = {}
notes = {}
for k in range(cases // 5):
    data = bytes(rng.getrandbits(8) for _ in range(rng.randint(1, 4000)))
    width = rng.choice([76, 64, 4, 7, 1000])
    urlsafe, unpadded = rng.random() < 0.5, rng.random() < 0.3
    eol = rng.choice(["\n", "\r\n", " \r\n\t"])
    trailing = rng.random() < 0.5
    while True:  # @BGETTEXT gives at most 8,191 characters; the argument text holds a little less
        text = (base64.urlsafe_b64encode if urlsafe else base64.b64encode)(data).decode()
        if unpadded:
            text = text.rstrip("=")
        text = eol.join(text[i:i + width] for i in range(0, len(text), width))
        if trailing:
            text += eol
        if len(text) <= 8100:
            break
        data = data[:len(data) * 3 // 4]
    assert base64.b64decode(text.replace("-", "+").replace("_", "/") + "==") == data
    files[f"L{k}.b64"] = text
    notes[f"L{k}"] = f"{len(text)} characters, lines of {width}, ends {eol!r}"
    lines.append(f"set t=%@bload[L{k}.b64]")
    lines.append(f"set c=%@balloc[{len(data)}]")
    lines.append("set n=FAIL")
    lines.append(f"set n=%@bputb64[%c,0,%@bgettext[%t,0,{len(text)}]]")
    lines.append(f"echo L{k} %n %@bhash[%c,sha256]")
    expect[f"L{k}"] = f"{len(data)} {hashlib.sha256(data).hexdigest()}"
    lines.append("set n=%@bfree[%c] %@bfree[%t]")
# Texts that are mostly bad: what is refused and what is written.
alphabet = "AQgw09+/-_=  ,.\"\t"
lines.append("set c=%@balloc[16]")
for k in range(cases * 2):
    text = "".join(rng.choice(alphabet) for _ in range(rng.randint(1, 14)))
    if text.strip(' \t"') == "" or text.count('"') % 2:
        continue  # nothing, or an open quote: the host's matter, not the decoder's
    lines.append("set n=FAIL")
    lines.append(f"set n=%@bputb64[%c,0,{text}]")
    lines.append(f"echo V{k} %n")
    want = reference_decode(text)
    expect[f"V{k}"] = "FAIL" if want is None else str(len(want))
    if want is not None:
        lines.append(f"echo W{k} %@bgethex[%c,0,{len(want)}]")
        expect[f"W{k}"] = want.hex().upper()

shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
for name, text in files.items():
    with open(os.path.join(work, name), "w", newline="") as f:
        f.write(text)
status, printed = agreement.run_lines(launcher, plughost, work, lines)
got = {}
for line in printed:
    key, _, value = line.partition(" ")
    got[key] = value
refusals = sum("Bad base64 text" in line for line in printed)

bad = [k for k in expect if got.get(k) != expect[k]]
kinds = {}
for k in expect:
    kinds[k[0]] = kinds.get(k[0], 0) + 1
print(f"{len(expect)} checks ({', '.join(f'{v} {k}' for k, v in sorted(kinds.items()))}); "
      f"{refusals} refusals reported")
for k in bad[:10]:
    print(f"  {k}: expected {expect[k][:100]!r}, got {got.get(k, '<none>')[:100]!r} "
          f"{notes.get(k, '')}")
failed = len(bad)
if status != 0:
    print(f"FAILED: status {status}")
    failed = max(failed, 1)
if not failed:
    shutil.rmtree(work, ignore_errors=True)
print(f"base64_agreement: {len(expect) - failed} passed, {failed} failed")
sys.exit(1 if failed else 0)
