#!/usr/bin/env python3
"""Checks every #include of src/ against the layering of docs/architecture.md.

Usage: python3 tests/layering/check_layering.py SRC_DIR ARCHITECTURE_MD CORE_DIRS

The table of docs/architecture.md is the one statement of which folder may
include which: its rows "| `src/<folder>` | ... | <may include> |" name the
folders, tokens or "core" (the comma-separated CORE_DIRS) in the last cell, and
"Qt" allows Qt headers. In the row of src/ui, each feature folder stands as
**`ui/<name>`** (...) -> <sibling>, <sibling>: it may include the folders that
src/ui may include, itself and the siblings after the arrow; the windows at
src/ui may include every feature folder. Every folder may include itself.

Fails, naming file, line and the rule, on a quoted include "x/..." into a
folder its row does not list, on a Qt header outside the folders allowed Qt,
on a folder with sources but no row, and on a row naming an unknown folder.
Standard library only.
"""

import pathlib
import re
import sys

ROW = re.compile(r"^\| `src/([a-z]+)` \|(.*)\| ([^|]*) \|$")
FEATURE = re.compile(r"\*\*`ui/([a-z]+)`\*\*")
ARROW = re.compile(r"→ ([a-z]+(?:, [a-z]+)*)")
INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]')
QT_HEADER = re.compile(r"^(Q[A-Za-z]|Qt[A-Za-z]*/|qt)")
SOURCE_SUFFIXES = {".h", ".hpp", ".cpp"}


class Rule:
    def __init__(self, folders, qt):
        self.folders = set(folders)
        self.qt = qt

    def describe(self, folder):
        names = sorted(self.folders - {folder}) + (["Qt"] if self.qt else [])
        return ", ".join(names) if names else "the standard library only"


def read_rules(architecture, core):
    rules = {}
    tokens_of = {}
    features = {}
    for line in architecture.read_text(encoding="utf-8").splitlines():
        row = ROW.match(line)
        if not row:
            continue
        folder, description, may_include = row.groups()
        tokens = [t.strip() for t in may_include.split(",") if t.strip()]
        tokens_of[folder] = tokens
        if folder == "ui":
            starts = [(m.group(1), m.end()) for m in FEATURE.finditer(description)]
            for i, (name, start) in enumerate(starts):
                end = starts[i + 1][1] if i + 1 < len(starts) else len(description)
                arrow = ARROW.search(description, start, end)
                features[name] = arrow.group(1).split(", ") if arrow else []

    errors = []
    for folder, tokens in tokens_of.items():
        allowed = {folder}
        qt = False
        for token in tokens:
            if token in ("standard library", "—"):
                continue
            if token == "Qt":
                qt = True
            elif token == "core":
                allowed |= core
            elif token in tokens_of:
                allowed.add(token)
            else:
                errors.append(f"docs/architecture.md: src/{folder} may include "
                              f"\"{token}\", which is no folder of the table")
        rules[folder] = Rule(allowed, qt)
    if "ui" in rules:
        ui = rules["ui"]
        for name, siblings in features.items():
            allowed = ui.folders - {"ui"} | {f"ui/{name}"}
            for sibling in siblings:
                if sibling not in features:
                    errors.append(f"docs/architecture.md: src/ui/{name} may include "
                                  f"\"{sibling}\", which is no feature folder of src/ui")
                allowed.add(f"ui/{sibling}")
            rules[f"ui/{name}"] = Rule(allowed, ui.qt)
        ui.folders |= {f"ui/{name}" for name in features}
    for folder in core:
        if folder not in rules:
            errors.append(f"docs/architecture.md: the core folder src/{folder} has no row")
        elif rules[folder].qt:
            errors.append(f"docs/architecture.md: the core folder src/{folder} may not use Qt")
    return rules, errors


def included_folder(path, rules):
    parts = path.split("/")[:-1]
    for n in range(len(parts), 0, -1):
        folder = "/".join(parts[:n])
        if folder in rules:
            return folder
    return "/".join(parts)


def check(src, rules):
    errors = []
    for file in sorted(src.rglob("*")):
        if file.suffix not in SOURCE_SUFFIXES or not file.is_file():
            continue
        folder = file.parent.relative_to(src).as_posix()
        rule = rules.get(folder)
        if rule is None:
            errors.append(f"{file}: the folder src/{folder} has no row in docs/architecture.md")
            continue
        text = file.read_text(encoding="utf-8", errors="replace")
        for number, line in enumerate(text.splitlines(), 1):
            include = INCLUDE.match(line)
            if not include:
                continue
            quote, path = include.groups()
            if quote == "<":
                if QT_HEADER.match(path) and not rule.qt:
                    errors.append(f"{file}:{number}: Qt header <{path}>, but src/{folder} "
                                  f"may include {rule.describe(folder)}")
                continue
            if "/" not in path:
                continue
            target = included_folder(path, rules)
            if target not in rule.folders:
                errors.append(f"{file}:{number}: \"{path}\" is in src/{target}, but "
                              f"src/{folder} may include {rule.describe(folder)}")
    return errors


def main():
    if len(sys.argv) != 4:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    src = pathlib.Path(sys.argv[1])
    core = {d for d in sys.argv[3].split(",") if d}
    rules, errors = read_rules(pathlib.Path(sys.argv[2]), core)
    errors += check(src, rules)
    for error in errors:
        print(error)
    if errors:
        print(f"{len(errors)} include(s) against the layering of docs/architecture.md")
        return 1
    print(f"{len(rules)} folders, every include within the layering")
    return 0


if __name__ == "__main__":
    sys.exit(main())
