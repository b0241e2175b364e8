#!/usr/bin/env python3
"""Runs the batch examples of the user documents in plughost and compares what they print with
what the documents show.

    run_examples.py PLUGHOST SOURCE_DIR DOCUMENT... [--pending FILE] [--list] [--print]
    run_examples.py --write DIR SOURCE_DIR DOCUMENT...

--list names the examples found; --print shows what each one printed. --write runs nothing: it
writes each example as a script DIR/NAME.btm, its files in DIR/NAME.files/ and its variables as
leading "rem env" lines, for the fault sweep (tests/sweep/), which runs them as they run here.

DOCUMENT is a path below SOURCE_DIR: a help page (src/resources/help/*.html, or a page's
template *.html.in, whose examples are the page's), a Markdown file
(README.md, docs/*.md), src/resources/INSTALL.txt or a batch file (demo/*.btm).

Where the examples lie:
- help pages: <pre class="example">; a <pre class="output"> right after it is what the example
  prints; <pre class="shown"> is a listing or message that the page shows, made by the script of
  the note before it (see below);
- Markdown: ```bat blocks; a ```text block right after one (or after a lead-in that ends with
  a colon) is its output;
- INSTALL.txt: indented blocks that begin with a batch command; each needs an entry in
  tests/docs/INSTALL.txt.examples (notes, or "skip: WHY" for an instruction that only TCC on
  Windows can carry out);
- a .btm file is one example; its output is tests/docs/NAME.out.

A note before an example (an HTML comment <!-- example ... --> in pages and Markdown, an entry
in the .examples file for INSTALL.txt) makes it self-contained, one directive a line:
    setup: LINE          a line run before the example (the example's line numbers stay its own)
    after: LINE          a line run after it
    replace: OLD => NEW  the example runs with NEW in place of OLD (a Windows path, for instance)
    file: NAME = TEXT    a file made in the run's folder (\\n, \\r, \\0, \\xHH escapes)
    random-file: NAME N  a file of N pseudo-random bytes, the same on every run
    count: NAME HH       the output shows "COUNT of N" with the count of byte HH in that file
    env: NAME=VALUE      a variable in plughost's environment
    script: NAME         the script's path as messages show it (default C:\\jobs\\example.btm)
    first-line: N        the example's first line is line N of that script
    rc: N                the exit status it ends with (default 0)
    prints: TEXT         a line the example prints that the document does not show
    varies: REGEX        what matches (in a line) differs from run to run: random bytes
    skip: WHY            not run (the harness prints why)
A <pre class="shown"> takes its whole script from its note ("run: LINE" lines).

Standard output and standard error are compared together, as a console shows them. In both
texts the buffer address of BBDUMP's header and summary lines ("Buffer A41000 :", "... from
A41000."), which has no leading zeros, reads %ADDRESS%; then every run of exactly 8 or 16
upper-case hexadecimal digits reads %HANDLE% and every time "YYYY-MM-DD hh:mm:ss" reads %TIME%.
So a header that a document shows with a leading zero, which BBDUMP never prints, fails however
many digits the address has where the example runs. Blanks at line ends and empty lines at the
end are not compared; empty lines at the start are (in a <pre>, after the line end that follows
its tag, which a browser does not show). An example without shown output must print nothing.

Every mention of the plug-in's version (Korvanite 0.66.4, Korvanite-0.66.4.zip, Korvanite
v0.66.4, Version 0.66.4) must be the version of CMakeLists.txt's project(), the one statement of
it (INSTALL.txt writes @VERSION@, which the package fills in).

Examples named in the pending file (one "DOCUMENT#N" a line, # comments) need batch language
that plughost does not have yet: they run, and a failure is reported but does not fail the test.
"""
import html
import os
import random
import re
import subprocess
import sys
import tempfile

DEFAULT_SCRIPT_NAME = "C:\\jobs\\example.btm"
BATCH_WORDS = ("set ", "echo", "bbdump", "bblist", "plugin ", "rem ", "if ", "reg ", "@echo")
# BBDUMP writes a buffer's address in its header and summary lines with "%I64X": no leading zeros.
ADDRESS = re.compile(r"(?<=^Buffer )[1-9A-F][0-9A-F]{0,15}(?= :)|"
                     r"(?<=\) from )[1-9A-F][0-9A-F]{0,15}(?=\.)", re.M)
HANDLE = re.compile(r"(?<![0-9A-Za-z])(?:[0-9A-F]{16}|[0-9A-F]{8})(?![0-9A-Za-z])")
PRINT = False
TIME = re.compile(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d")


class Example:
    def __init__(self, document, number, lines, note, shown=None):
        self.name = f"{document}#{number}"
        self.lines = lines
        self.note = note
        self.shown = shown


def parse_note(text):
    note = {"setup": [], "after": [], "replace": [], "file": [], "env": [], "run": [],
            "prints": [], "varies": [], "random-file": [], "count": []}
    for raw in text.splitlines():
        line = raw.strip()
        if not line:
            continue
        key, sep, value = line.partition(":")
        key = key.strip()
        if not sep or key not in note and key not in ("script", "first-line", "rc", "skip"):
            raise ValueError(f"bad note line: {raw!r}")
        value = value.strip()
        if key in ("setup", "after", "run", "varies", "random-file", "count"):
            note[key].append(value)
        elif key == "prints":
            note[key].append(raw.partition(":")[2][1:])
        elif key == "replace":
            old, arrow, new = value.partition(" => ")
            if not arrow:
                raise ValueError(f"replace needs OLD => NEW: {raw!r}")
            note[key].append((old, new))
        elif key in ("file", "env"):
            name, eq, content = value.partition("=" if key == "env" else " = ")
            if not eq:
                raise ValueError(f"{key} needs NAME = VALUE: {raw!r}")
            note[key].append((name.strip(), content))
        else:
            note[key] = value
    return note


def unescape(text):
    return re.sub(r"\\(x[0-9A-Fa-f]{2}|.)",
                  lambda m: {"n": "\n", "r": "\r", "0": "\0", "\\": "\\"}.get(
                      m.group(1), chr(int(m.group(1)[1:], 16)) if m.group(1)[0] == "x" else "\\" + m.group(1)),
                  text)


def pre_text(body):
    # A browser shows nothing of a line end right after <pre>: an empty first line needs two.
    return html.unescape(re.sub(r"<[^>]+>", "", body.removeprefix("\n")))


def html_examples(document, text):
    examples = []
    tokens = re.finditer(r"<!--\s*example(.*?)-->|<pre(?: class=\"(\w+)\")?>(.*?)</pre>", text, re.S)
    note_text = None
    last = None
    for token in tokens:
        if token.group(0).startswith("<!--"):
            note_text = token.group(1)
            continue
        kind, body = token.group(2), pre_text(token.group(3))
        lines = body.split("\n")
        body += "\n"
        note = parse_note(html.unescape(note_text or ""))
        note_text = None
        if kind == "example":
            last = Example(document, len(examples) + 1, lines, note)
            examples.append(last)
        elif kind == "output":
            if last is None or last.shown is not None:
                raise ValueError(f"{document}: an output block follows no example")
            last.shown = body
        elif kind == "shown":
            if not note["run"]:
                raise ValueError(f"{document}: a shown block without a note to make it")
            last = Example(document, len(examples) + 1, note["run"], note, shown=body)
            examples.append(last)
        else:
            last = None
    return examples


def markdown_examples(document, text):
    examples = []
    note_text = None
    last = None
    last_end = 0
    for token in re.finditer(r"<!--\s*example(.*?)-->|^```(\w*)\n(.*?)^```", text, re.S | re.M):
        if token.group(0).startswith("<!--"):
            note_text = token.group(1)
            continue
        kind, body = token.group(2), token.group(3)
        between = text[last_end:token.start()]
        if kind == "bat":
            last = Example(document, len(examples) + 1, body.rstrip("\n").split("\n"),
                           parse_note(note_text or ""))
            examples.append(last)
        elif (kind == "text" and last is not None and last.shown is None and
              (between.strip() == "" or between.strip().endswith(":"))):
            last.shown = body
        else:
            last = None
        note_text = None
        last_end = token.end()
    return examples


def install_examples(document, text, notes_path):
    notes = {}
    if os.path.exists(notes_path):
        with open(notes_path, encoding="utf-8") as f:
            for block in re.split(r"\n(?=example: )", f.read()):
                first, _, rest = block.partition("\n")
                if first.startswith("example: "):
                    # An example shown twice has an entry for each time, in order.
                    notes.setdefault(first[len("example: "):].strip(), []).append(rest)
    examples = []
    for block in re.finditer(r"(?:^|\n\n)((?:    .*\n?)+)", text):
        lines = [line[4:] for line in block.group(1).rstrip("\n").split("\n")]
        first = lines[0].strip()
        if not first.lower().startswith(BATCH_WORDS):
            continue
        if not notes.get(first):
            raise ValueError(f"{document}: the example \"{first}\" has no entry in {notes_path}")
        examples.append(Example(document, len(examples) + 1, [line.strip() for line in lines],
                                parse_note(notes[first].pop(0))))
    for first, left in notes.items():
        if left:
            raise ValueError(f"{notes_path}: no example begins \"{first}\"")
    return examples


def examples_of(source_dir, document):
    path = os.path.join(source_dir, document)
    with open(path, encoding="utf-8") as f:
        text = f.read().replace("\r\n", "\n")
    if document.endswith((".html", ".html.in")):
        return html_examples(document, text)
    if document.endswith(".md"):
        return markdown_examples(document, text)
    if document.endswith(".btm"):
        name = os.path.splitext(os.path.basename(document))[0]
        with open(os.path.join(source_dir, "tests", "docs", name + ".out"), encoding="utf-8") as f:
            shown = f.read()
        return [Example(document, 1, text.rstrip("\n").split("\n"), parse_note(""), shown)]
    notes = os.path.join(source_dir, "tests", "docs", os.path.basename(document) + ".examples")
    return install_examples(document, text, notes)


def random_bytes(name, size):
    generator = random.Random(name)
    return bytes(generator.getrandbits(8) for _ in range(size))


def masked(text, varies):
    for pattern in varies:
        text = re.sub(pattern, "%VARIES%", text, flags=re.M)
    text = TIME.sub("%TIME%", HANDLE.sub("%HANDLE%", ADDRESS.sub("%ADDRESS%", text)))
    return "\n".join(line.rstrip() for line in text.split("\n")).rstrip("\n")


def script_lines(example):
    """The lines the example runs, or a problem with its note."""
    note = example.note
    body = list(example.lines)
    for old, new in note["replace"]:
        changed = [line.replace(old, new) for line in body]
        if changed == body:
            return f"replace: \"{old}\" is not in the example"
        body = changed
    return note["setup"] + body + note["after"]


def make_files(example, work):
    """The example's files, in the folder it runs in."""
    note = example.note
    for name, content in note["file"]:
        with open(os.path.join(work, name), "wb") as f:
            f.write(unescape(content).encode("latin-1"))
    for made in note["random-file"]:
        name, size = made.rsplit(" ", 1)
        with open(os.path.join(work, name), "wb") as f:
            f.write(random_bytes(name, int(size)))


def write(example, directory):
    """The example as a script of its own for the fault sweep; a problem, or nothing."""
    lines = script_lines(example)
    if isinstance(lines, str):
        return lines
    name = re.sub(r"[^0-9A-Za-z]+", "_", example.name)
    files = os.path.join(directory, name + ".files")
    os.makedirs(files, exist_ok=True)
    make_files(example, files)
    env = [("noloadmsg", "1")] + example.note["env"]
    with open(os.path.join(directory, name + ".btm"), "w", encoding="utf-8") as f:
        f.write("".join(f"rem env {k}={v}\n" for k, v in env) + "\n".join(lines) + "\n")
    return ""


def run(plughost, example):
    note = example.note
    lines = script_lines(example)
    if isinstance(lines, str):
        return lines
    setup = note["setup"]
    with tempfile.TemporaryDirectory(prefix="kv-doc-") as work:
        make_files(example, work)
        script = os.path.join(work, "example.btm")
        with open(script, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
        env = {k: v for k, v in os.environ.items()
               if k not in ("NO_COLOR", "Highlight", "PLUGHOST_CMDPROC", "PLUGHOST_PLUGIN",
                            "PLUGHOST_CLIPBOARD")}
        env["noloadmsg"] = "1"
        env.update(note["env"])
        try:
            done = subprocess.run([plughost, script], cwd=work, env=env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
        except subprocess.TimeoutExpired:
            return "did not end within 300 s"
        output = done.stdout.decode("utf-8", "replace").replace("\r\n", "\n")
    # Messages name the script and line as they would in the page's own batch file.
    shift = int(note.get("first-line", "1")) - 1 - len(setup)
    name = note.get("script", DEFAULT_SCRIPT_NAME)
    output = re.sub(re.escape(script) + r" \[(\d+)\]",
                    lambda m: f"{name} [{int(m.group(1)) + shift}]", output)
    output = output.replace(script, name)
    if PRINT:
        print(f"--- {example.name} (exit status {done.returncode})\n{output}---")
    problems = []
    want_rc = int(note.get("rc", "0"))
    if done.returncode != want_rc:
        problems.append(f"exit status {done.returncode}, the document expects {want_rc}")
    expected = example.shown if example.shown is not None else ""
    # The harness counts for itself what the example counts with its loop.
    for counted in note["count"]:
        name, value = counted.split()
        size = next(int(m.rsplit(" ", 1)[1]) for m in note["random-file"] if m.startswith(name))
        if f"{random_bytes(name, size).count(int(value, 16))} of {size}" not in (expected or ""):
            problems.append(f"the document does not show the count of {value} in {name}")
    if note["prints"]:
        expected += "\n".join(note["prints"]) + "\n"
    if masked(output, note["varies"]) != masked(expected, note["varies"]):
        problems.append(first_difference(masked(expected, note["varies"]),
                                         masked(output, note["varies"])))
    return "; ".join(problems)


def first_difference(expected, actual):
    want, got = expected.split("\n"), actual.split("\n")
    for i in range(max(len(want), len(got))):
        w = want[i] if i < len(want) else "<end>"
        g = got[i] if i < len(got) else "<end>"
        if w != g:
            return f"output line {i + 1}: shown {w!r}, printed {g!r}"
    return "output differs"


VERSION_MENTION = re.compile(r"(?:Korvanite[- ]v?|\bVersion )(\d+\.\d+\.\d+)")


def wrong_versions(source_dir, document):
    """The mentions of a version other than the project's in the document."""
    with open(os.path.join(source_dir, "CMakeLists.txt"), encoding="utf-8") as f:
        project = re.search(r"^project\(Korvanite VERSION (\d+\.\d+\.\d+)", f.read(), re.M)
    with open(os.path.join(source_dir, document), encoding="utf-8") as f:
        text = f.read()
    return sorted({m.group(0) for m in VERSION_MENTION.finditer(text)
                   if m.group(1) != project.group(1)})


def main(argv):
    args = [a for a in argv[1:]]
    writing = None
    if "--write" in args:
        i = args.index("--write")
        writing = args[i + 1]
        del args[i:i + 2]
        args.insert(0, "")  # no plughost
    pending = set()
    if "--pending" in args:
        i = args.index("--pending")
        with open(args[i + 1], encoding="utf-8") as f:
            pending = {line.strip() for line in f if not line.startswith("#")} - {""}
        del args[i:i + 2]
    listing = "--list" in args
    if listing:
        args.remove("--list")
    global PRINT
    PRINT = "--print" in args
    if PRINT:
        args.remove("--print")
    plughost, source_dir, documents = os.path.abspath(args[0]), args[1], args[2:]
    failed = passed = waiting = 0
    for document in documents:
        try:
            examples = examples_of(source_dir, document)
            stale = wrong_versions(source_dir, document)
        except (OSError, ValueError) as error:
            print(f"FAIL {document}: {error}")
            failed += 1
            continue
        if stale and not listing:
            print(f"FAIL {document}: not the project's version: {', '.join(stale)}")
            failed += 1
        for example in examples:
            if listing:
                print(f"{example.name}: {example.lines[0]}")
                continue
            if "skip" in example.note:
                if writing is None:
                    print(f"skip {example.name}: {example.note['skip']}")
                continue
            if writing is not None:
                problem = write(example, writing)
                if problem:
                    failed += 1
                    print(f"FAIL {example.name}: {problem}")
                else:
                    passed += 1
                continue
            problem = run(plughost, example)
            if not problem:
                passed += 1
                if example.name in pending:
                    print(f"pass {example.name} (listed as pending: take it off the list)")
            elif example.name in pending:
                waiting += 1
                print(f"pending {example.name}: {problem}")
            else:
                failed += 1
                print(f"FAIL {example.name}: {problem}")
    if writing is not None:
        print(f"{passed} written, {failed} failed")
    elif not listing:
        print(f"{passed} passed, {failed} failed" + (f", {waiting} pending" if waiting else ""))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
