#!/usr/bin/env python3
"""Makes the lists of features from the table of features, src/frame/features.def.

    feature_lists.py help SOURCE_DIR OUT_DIR   the help project: every file of
                                               src/resources/help, its templates (NAME.in) filled
    feature_lists.py install SOURCE_DIR        src/resources/INSTALL.txt with its Features filled,
                                               on standard output

The templates name what goes in with a line of its own:
    @FEATURE_CONTENTS@   Korvanite.hhc: a section of the contents for each KV_HELP_SECTION, its
                         features in their places
    @FEATURE_KEYWORDS@   Korvanite.hhk: each feature's name, sorted in among the template's own
                         entries (by the name without "@" or "_", in any case)
    @FEATURE_PAGES@      Korvanite.hhp: each feature's page, in the order of the contents
    @FEATURE_TABLES@     index.html: a heading and a table of features for each section
    @FEATURES@           INSTALL.txt: the same as plain text
Inserted lines end as the template's lines do. Other modules read the table through
read_table(). A table that does not read as a whole stops the script with the row at fault.
"""
import pathlib
import re
import shutil
import sys

LITERALS = r'"(?:[^"\\]|\\.)*"(?:\s*"(?:[^"\\]|\\.)*")*'
SECTION = re.compile(r'^KV_HELP_SECTION\(\s*(\w+)\s*,\s*(' + LITERALS + r')\s*\)', re.M)
ROW = re.compile(r'^KV_(COMMAND|FUNCTION|VARIABLE)\(\s*([a-z0-9_]+)\s*,\s*(\w+)\s*,\s*(\d+)\s*,'
                 r'\s*(' + LITERALS + r')\s*,\s*(' + LITERALS + r')\s*\)', re.M)
STARTS = re.compile(r'^KV_(?:HELP_SECTION|COMMAND|FUNCTION|VARIABLE)\(', re.M)


class Feature:
    def __init__(self, kind, name, section, place, syntax, purpose):
        self.kind, self.name, self.section, self.place = kind, name, section, place
        self.syntax, self.purpose = syntax, purpose
        prefix = {"COMMAND": "", "FUNCTION": "@", "VARIABLE": "_"}[kind]
        self.shown = prefix + name.upper()  # as the feature list and the help show it
        self.export = {"COMMAND": "", "FUNCTION": "f_", "VARIABLE": "_"}[kind] + name
        self.page = {"COMMAND": "", "FUNCTION": "f_", "VARIABLE": "v_"}[kind] + name + ".html"


def literal_text(literals):
    """The text of adjacent C string literals: "a" "b" is ab."""
    parts = re.findall(r'"((?:[^"\\]|\\.)*)"', literals)
    return "".join(re.sub(r'\\(.)', r'\1', part) for part in parts)


def read_table(root):
    """The sections, as (section, title) in their order, and the features in the table's order."""
    text = (pathlib.Path(root) / "src" / "frame" / "features.def").read_text()
    sections = [(m.group(1), literal_text(m.group(2))) for m in SECTION.finditer(text)]
    features = [Feature(m.group(1), m.group(2), m.group(3), int(m.group(4)),
                        literal_text(m.group(5)), literal_text(m.group(6)))
                for m in ROW.finditer(text)]
    parsed = {m.start() for m in SECTION.finditer(text)} | {m.start() for m in ROW.finditer(text)}
    for start in STARTS.finditer(text):
        if start.start() not in parsed:
            line = text.count("\n", 0, start.start()) + 1
            sys.exit(f"features.def:{line}: a row that does not read as the table's columns")
    names = [section for section, _ in sections]
    places = set()
    for feature in features:
        if feature.section not in names:
            sys.exit(f"features.def: {feature.name}: no section {feature.section}")
        if (feature.section, feature.place) in places or feature.place < 1:
            sys.exit(f"features.def: {feature.name}: place {feature.place} of {feature.section} "
                     "is taken or below 1")
        places.add((feature.section, feature.place))
    if len({feature.name for feature in features}) != len(features):
        sys.exit("features.def: a name stands twice")
    return sections, features


def by_section(sections, features):
    """Each section's title with its features in their places."""
    return [(title, sorted((f for f in features if f.section == section), key=lambda f: f.place))
            for section, title in sections]


def sitemap_entry(name, page):
    return (f'<li><object type="text/sitemap"><param name="Name" value="{name}">'
            f'<param name="Local" value="{page}"></object>')


def contents_lines(sections, features):
    lines = []
    for title, members in by_section(sections, features):
        lines.append(f'<li><object type="text/sitemap"><param name="Name" value="{title}">'
                     '</object>')
        lines.append("<ul>")
        lines += [sitemap_entry(f.shown, f.page) for f in members]
        lines.append("</ul>")
    return lines


def keyword_lines(template_lines, features):
    """The template's keyword entries and the features' names, in the index's order."""
    def key(line):
        name = re.search(r'name="Name" value="([^"]*)"', line).group(1)
        return name.lstrip("@_").lower()
    entries = [line for line in template_lines if line.startswith("<li>")]
    entries += [sitemap_entry(f.shown, f.page) for f in features]
    return sorted(entries, key=key)


def page_lines(sections, features):
    return [f.page for _, members in by_section(sections, features) for f in members]


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def table_lines(sections, features):
    lines = []
    for title, members in by_section(sections, features):
        lines += [f"<h2>{escape(title)}</h2>", "<table>", "<tr><th>Feature</th><th>Purpose</th></tr>"]
        lines += [f'<tr><td><a href="{f.page}">{f.shown}</a></td><td>{escape(f.purpose)}</td></tr>'
                  for f in members]
        lines.append("</table>")
    return lines


def wrapped(words, width):
    """Words in lines of at most `width` columns, cut at blanks."""
    lines, line = [], ""
    for word in words.split():
        if line and len(line) + 1 + len(word) > width:
            lines.append(line)
            line = word
        else:
            line = line + " " + word if line else word
    return lines + [line]


def install_lines(sections, features):
    """The Features of INSTALL.txt under each section's title: the syntax in a column of 24, then
    the purpose, within 84 columns; a longer syntax has its purpose on the line below."""
    indent, column, width = 4, 29, 84
    lines = []
    for title, members in by_section(sections, features):
        lines += ([""] if lines else []) + [title, ""]
        for f in members:
            head = " " * indent + f.syntax
            if len(head) >= column:
                lines.append(head)
                head = ""
            purpose = wrapped(f.purpose, width - column)
            lines.append(head.ljust(column) + purpose[0])
            lines += [" " * column + line for line in purpose[1:]]
    return lines


def fill(template, marker, lines):
    """The template with its marker line replaced by `lines`, which end as the template's do."""
    end = "\r\n" if "\r\n" in template else "\n"
    at = template.find(marker + end)
    if at < 0 or (at > 0 and template[at - 1] != "\n"):
        sys.exit(f"feature_lists: the template has no line {marker}")
    return template[:at] + "".join(line + end for line in lines) + template[at + len(marker + end):]


def make_help(root, out):
    sections, features = read_table(root)
    source = pathlib.Path(root) / "src" / "resources" / "help"
    out = pathlib.Path(out)
    if out.exists():
        shutil.rmtree(out)
    out.mkdir(parents=True)
    for path in sorted(source.iterdir()):
        if path.suffix != ".in":
            shutil.copyfile(path, out / path.name)
            continue
        template = path.read_bytes().decode("ascii")
        name = path.stem
        if name.endswith(".hhc"):
            text = fill(template, "@FEATURE_CONTENTS@", contents_lines(sections, features))
        elif name.endswith(".hhk"):
            end = "\r\n" if "\r\n" in template else "\n"
            kept = [line for line in template.split(end) if not line.startswith("<li>")]
            text = fill(end.join(kept), "@FEATURE_KEYWORDS@",
                        keyword_lines(template.split(end), features))
        elif name.endswith(".hhp"):
            text = fill(template, "@FEATURE_PAGES@", page_lines(sections, features))
        elif name.endswith(".html"):
            text = fill(template, "@FEATURE_TABLES@", table_lines(sections, features))
        else:
            sys.exit(f"feature_lists: no list goes into {path.name}")
        (out / name).write_bytes(text.encode("ascii"))


def make_install(root):
    sections, features = read_table(root)
    template = (pathlib.Path(root) / "src" / "resources" / "INSTALL.txt").read_text()
    sys.stdout.write(fill(template, "@FEATURES@", install_lines(sections, features)))


def main(argv):
    if len(argv) == 4 and argv[1] == "help":
        make_help(argv[2], argv[3])
    elif len(argv) == 3 and argv[1] == "install":
        make_install(argv[2])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
