#!/usr/bin/env python3
"""Writes the Repertorium Publicum content, data/publicum.tsv, from its source.

The source is the repertory as one JSON file per chapter (index.json names
the chapters in their order and their files; each chapter file maps a rubric's
full path, "Vertigo, fall, tendency to, backward", to its remedy list,
"ACON, Agar, bell"). This program maps it onto the records of
data/repertory.tsv:

- chapter: the first path level, in the order of index.json; its text is the
  title in capitals ("VERTIGO"), as the book style sets chapter names;
- heading: the first two levels; its text is the second level ("Fall"). The
  bare chapter rubric ("Vertigo") stands first in its chapter under a heading
  of its own, whose text is the chapter title as written ("Vertigo");
- rubric: every path, ordered level by level (letter case ignored first), so
  that the rubrics of each heading are contiguous and a heading's own rubric
  comes first under it. Its text is the path below the chapter, each level
  beginning with a capital and the levels joined by ", - " ("Fall, - Tendency
  to, - Backward"); a text that would not fit the 255 characters of the field
  joins its last levels with ", " as the source writes them instead;
- remedy: one per distinct name, letter case ignored, in the order of first
  appearance; the abbreviation is the name as the source spells it in grade
  2 with a full stop ("Acon.", "Kali-bi.", "AIDS.");
- entry: the remedy index with the grade flag, in the order of the source
  list. ALL CAPITALS is grade 3, an initial capital grade 2, all lower case
  grade 1. The lists run from grade 3 down to grade 1, so a name spelled in
  capitals after an entry of a lower grade is a name whose grade-2 spelling is
  all capitals ("AIDS", "LSD") and takes grade 2;
- no rubric has a counter-polar link (opposite number and BD value 0).

Before it maps anything the program checks the source: the JSON holds no
repeated key, every path lies in its chapter and has no empty level, every
list names remedies in one of the three spellings, all text is ASCII, and the
figures agree with those stated for the source. It stops with a message when a
check fails. What it has to mend it mends and names on the standard output:
a remedy named twice in one list (the first entry, of the higher grade, is
kept), a grade mark written after a name ("NAT-M (4)" is Nat-m), the grade of a
name in capitals among grade-2 entries, a path written with a separator after
its last level (the same rubric as the path without it), texts joined with
", " to fit. Then it checks the result against the figures less what it
mended.

Usage:  python3 tools/gen_publicum.py SOURCE_FOLDER data/publicum.tsv.tar.xz

An output path ending in ".tar.xz" gets the content file as "publicum.tsv" in
an xz-compressed tar archive (the build unpacks it with "cmake -E tar"); any
other path gets the content file itself.

Standard library only; the output is the same byte for byte on every run.
"""

import io
import json
import lzma
import re
import sys
import tarfile

# The figures stated for the source.
SOURCE_CHAPTERS = 41
SOURCE_RUBRICS = 74487
SOURCE_ENTRIES = 735556
SOURCE_REMEDY_NAMES = 694
SOURCE_GRADES = {1: 465380, 2: 198498, 3: 71678}
SOURCE_SECOND_LEVELS = 5029
MAX_LEVELS = 15

# Field sizes of the program's records, without the terminating NUL.
CHAPTER_TEXT_MAX = 127
HEADING_TEXT_MAX = 199
RUBRIC_TEXT_MAX = 255
ABBREVIATION_MAX = 11

# Grade flags of a remedy entry; grade 1 carries none.
GRADE_FLAG = {1: 0, 2: 0x4000, 3: 0x2000}
REMEDY_INDEX_LIMIT = 0x800

ARCHIVE_MEMBER = "publicum.tsv"

LEVEL_SEPARATOR = ", "
TEXT_SEPARATOR = ", - "

CONTROL = re.compile(r"[\x00-\x1f\x7f]")
NAME = re.compile(r"[A-Za-z][A-Za-z0-9-]*\Z")
# A name followed by a grade mark in brackets, "NAT-M (4)".
MARKED_NAME = re.compile(r"([A-Za-z][A-Za-z0-9-]*) \(([0-9])\)\Z")

HEADER = """\
# Repertorium Publicum by Vladimir Polony, a repertory on the structure of
# Kent's with symptom groups from Boenninghausen, licensed under the GNU
# General Public License, version 3.
# Made from its source with:  python3 tools/gen_publicum.py SOURCE_FOLDER data/publicum.tsv.tar.xz
# Windows-1252 text, LF line ends, '#' starts a comment line. Records, tab-separated:
#   remedy   index abbreviation
#   chapter  index headingEnd text
#   heading  index rubricEnd text
#   rubric   number firstEntry entryCount oppositeNumber oppositeBd text entries
"""


class SourceError(Exception):
    pass


def unique_pairs(what):
    """An object_pairs_hook that refuses a key given twice."""

    def hook(pairs):
        seen = set()
        for key, _ in pairs:
            if key in seen:
                raise SourceError("%s: the key \"%s\" stands twice" % (what, key))
            seen.add(key)
        return pairs

    return hook


def read_json(path, what):
    with open(path, "rb") as f:
        raw = f.read()
    try:
        text = raw.decode("ascii")
    except UnicodeDecodeError as e:
        raise SourceError("%s: a byte that is not ASCII at offset %d" % (what, e.start))
    return json.loads(text, object_pairs_hook=unique_pairs(what))


def spelling_grade(name):
    """3 for ALL CAPITALS, 2 for an initial capital, 1 for all lower case, 0
    for anything else; a name begins with a letter."""
    if name.isupper():
        return 3
    if name.islower():
        return 1
    if name[0].isupper() and name[1:].islower():
        return 2
    return 0


# What the program mends, as the report names it.
MARK_DROPPED = "grade mark after a name dropped, the name and its spelling's grade kept"
REGRADED = "name in capitals after an entry of grade 2 read as grade 2"
TWICE = "remedy named twice in one list, the first entry kept"
TRAILING = "separator after the last level of a path dropped"
MERGED = "path with a separator after its last level merged into the path without it"
SQUEEZED = "rubric text with its last levels joined by \", \" to fit 255 characters"
INDEX_BEHIND = "chapter whose file holds more rubrics than index.json says (the file counts)"


class Report:
    """What the program mended, counted and with a few examples each."""

    def __init__(self):
        self.items = {}

    def add(self, kind, example):
        count, examples = self.items.get(kind, (0, []))
        if len(examples) < 3:
            examples.append(example)
        self.items[kind] = (count + 1, examples)

    def count(self, kind):
        return self.items.get(kind, (0, []))[0]

    def lines(self):
        for kind in sorted(self.items):
            count, examples = self.items[kind]
            yield "%6d  %s, e.g. %s" % (count, kind, "; ".join(examples))


class SourceRubric:
    def __init__(self, chapter, path, levels, entries):
        self.chapter = chapter
        self.path = path
        self.levels = levels  # below the chapter
        self.entries = entries  # (lower-case name, grade, spelling)


def read_list(path, text, report, counts):
    """The entries of one remedy list, mended where the source needs it.
    `counts` gathers the figures of the source as it stands and what was
    mended: entries regraded from 3 to 2, entries removed by their grade."""
    if text == "":
        raise SourceError("%s: empty remedy list" % path)
    entries = []
    seen = set()
    lowest = 3
    for item in text.split(", "):
        counts["names"].add(item.lower())
        marked = MARKED_NAME.match(item)
        if marked:
            report.add(MARK_DROPPED, "%s in \"%s\"" % (item, path))
            item = marked.group(1)
        elif not NAME.match(item):
            raise SourceError("%s: \"%s\" is no remedy name" % (path, item))
        grade = spelling_grade(item)
        if grade == 0:
            raise SourceError("%s: \"%s\" is spelled in none of the three grades" % (path, item))
        counts["entries"] += 1
        counts["spelled"][grade] += 1
        if grade > lowest:
            report.add(REGRADED, "%s in \"%s\"" % (item, path))
            counts["regraded"] += 1
            grade = lowest
        lowest = grade
        key = item.lower()
        if key in seen:
            report.add(TWICE, "%s in \"%s\"" % (item, path))
            counts["removed"][grade] += 1
            continue
        seen.add(key)
        entries.append((key, grade, item))
    return entries


def read_source(folder, report):
    index = read_json(folder + "/index.json", "index.json")
    if len(index) != SOURCE_CHAPTERS:
        raise SourceError("index.json names %d chapters, not %d" % (len(index), SOURCE_CHAPTERS))
    counts = {"names": set(), "entries": 0, "spelled": {1: 0, 2: 0, 3: 0},
              "regraded": 0, "removed": {1: 0, 2: 0, 3: 0}}
    chapters = []
    rubrics = []
    for title, info in index:
        info = dict(info)
        if not title or title != title.strip() or LEVEL_SEPARATOR in title:
            raise SourceError("index.json: chapter title \"%s\"" % title)
        pairs = read_json(folder + "/" + info["file"], info["file"])
        if len(pairs) != info["rubricCount"]:
            report.add(INDEX_BEHIND, "%s %d, not %d" % (title, len(pairs), info["rubricCount"]))
        bare = False
        for path, text in pairs:
            if not isinstance(text, str):
                raise SourceError("%s: the remedy list is no text" % path)
            if CONTROL.search(path) or CONTROL.search(text):
                raise SourceError("%s: a control character" % path)
            levels = path.split(LEVEL_SEPARATOR)
            if levels[0] != title:
                raise SourceError("%s: the path does not begin with its chapter %s" % (path, title))
            if levels[-1] == "" and len(levels) > 2:
                levels.pop()  # a separator after the last level, merged below
            if any(level == "" or level != level.strip() for level in levels):
                raise SourceError("%s: an empty level or blanks around one" % path)
            if len(levels) > MAX_LEVELS:
                raise SourceError("%s: more than %d levels" % (path, MAX_LEVELS))
            bare = bare or len(levels) == 1
            rubrics.append(SourceRubric(len(chapters), path, levels[1:],
                                        read_list(path, text, report, counts)))
        if not bare:
            raise SourceError("chapter %s has no rubric of its own" % title)
        chapters.append(title)
    merge_repeated_paths(rubrics, report, counts)

    second = {(r.chapter, r.levels[0]) for r in rubrics if r.levels}
    found = {
        "rubrics": (len(rubrics) + report.count(MERGED), SOURCE_RUBRICS),
        "remedy entries": (counts["entries"], SOURCE_ENTRIES),
        "remedy names": (len(counts["names"]), SOURCE_REMEDY_NAMES),
        "second-level names": (len(second), SOURCE_SECOND_LEVELS),
    }
    for grade in (1, 2, 3):
        found["entries spelled in grade %d" % grade] = (counts["spelled"][grade], SOURCE_GRADES[grade])
    for what, (have, stated) in found.items():
        if have != stated:
            raise SourceError("the source has %d %s, not %d" % (have, what, stated))
    return chapters, rubrics, counts


def merge_repeated_paths(rubrics, report, counts):
    """A path written with a separator after its last level names the same
    rubric as the path without it: when both stand in the source, the entries
    of the one join the other's, a remedy in both keeps the higher grade."""
    by_path = {}
    for rubric in list(rubrics):
        key = (rubric.chapter, tuple(rubric.levels))
        other = by_path.get(key)
        if other is None:
            by_path[key] = rubric
            continue
        if not (rubric.path.endswith(LEVEL_SEPARATOR) or other.path.endswith(LEVEL_SEPARATOR)):
            raise SourceError("%s: the path stands twice" % rubric.path)
        kept, merged = (rubric, other) if other.path.endswith(LEVEL_SEPARATOR) else (other, rubric)
        report.add(MERGED, "\"%s\" into \"%s\"" % (merged.path, kept.path))
        grades = {key: i for i, (key, _, _) in enumerate(kept.entries)}
        for entry in merged.entries:
            i = grades.get(entry[0])
            if i is None:
                kept.entries.append(entry)
                continue
            lower = min(entry[1], kept.entries[i][1])
            counts["removed"][lower] += 1
            if entry[1] > kept.entries[i][1]:
                kept.entries[i] = entry
        rubrics.remove(merged)
        by_path[key] = kept
    for rubric in rubrics:
        if rubric.path.endswith(LEVEL_SEPARATOR):
            report.add(TRAILING, "\"%s\"" % rubric.path)


def level_key(levels):
    return tuple((level.lower(), level) for level in levels)


def capitalised(level):
    return level[0].upper() + level[1:] if level[0].islower() else level


def rubric_text(levels, report, path):
    """The levels joined as the book sets them; the last ones as the source
    writes them when the whole would not fit."""
    styled = [capitalised(level) for level in levels]
    for kept in range(len(levels), 0, -1):
        text = TEXT_SEPARATOR.join(styled[:kept])
        if kept < len(levels):
            text += LEVEL_SEPARATOR + LEVEL_SEPARATOR.join(levels[kept:])
        if len(text) <= RUBRIC_TEXT_MAX:
            if kept < len(levels):
                report.add(SQUEEZED, "%d levels of \"%s\"" % (len(levels) - kept, path))
            return text
    raise SourceError("%s: the rubric text does not fit %d characters" % (path, RUBRIC_TEXT_MAX))


def build(chapters, rubrics, report):
    rubrics = sorted(rubrics, key=lambda r: (r.chapter, level_key(r.levels)))

    # Remedies in the order of first appearance; the abbreviation is the
    # name's grade-2 spelling: an initial capital, or capitals where the
    # source writes grade 2 so.
    index = {}
    capitals = set()
    for rubric in rubrics:
        for key, grade, spelling in rubric.entries:
            index.setdefault(key, len(index))
            if grade == 2 and spelling_grade(spelling) == 3:
                capitals.add(key)
    names = sorted(index, key=index.get)
    abbreviations = [(n.upper() if n in capitals else n[0].upper() + n[1:]) + "." for n in names]

    heading_records = []  # [text, rubricEnd]
    rubric_records = []  # (firstEntry, text, entries)
    heading_ends = [0] * len(chapters)
    first_entry = 0
    second_level = None
    for rubric in rubrics:
        if not rubric.levels:
            # The bare chapter rubric: first in its chapter, under a heading
            # of its own.
            heading_records.append([chapters[rubric.chapter], 0])
            text = chapters[rubric.chapter]
            second_level = None
        else:
            if rubric.levels[0] != second_level:
                second_level = rubric.levels[0]
                heading_records.append([capitalised(second_level), 0])
            text = rubric_text(rubric.levels, report, rubric.path)
        entries = [index[key] | GRADE_FLAG[grade] for key, grade, _ in rubric.entries]
        rubric_records.append((first_entry, text, entries))
        first_entry += len(entries)
        heading_records[-1][1] = len(rubric_records)
        heading_ends[rubric.chapter] = len(heading_records)
    chapter_records = [(title.upper(), end) for title, end in zip(chapters, heading_ends)]
    return abbreviations, chapter_records, heading_records, rubric_records


def check_result(content, counts, report):
    """The rules the program's loader holds a content to, and the figures of
    the source less what was mended."""
    abbreviations, chapters, headings, rubrics = content
    problems = []

    def expect(what, have, wanted):
        if have != wanted:
            problems.append("%s: %s, expected %s" % (what, have, wanted))

    names = counts["names"]
    marked = [m for m in map(MARKED_NAME.match, names) if m and m.group(1) in names]
    expect("chapters", len(chapters), SOURCE_CHAPTERS)
    expect("headings", len(headings), SOURCE_SECOND_LEVELS + SOURCE_CHAPTERS)
    expect("rubrics", len(rubrics), SOURCE_RUBRICS - report.count(MERGED))
    removed = counts["removed"]
    expect("entries", sum(len(r[2]) for r in rubrics), SOURCE_ENTRIES - sum(removed.values()))
    expect("remedies", len(abbreviations), SOURCE_REMEDY_NAMES - len(marked))
    grades = {1: 0, 2: 0, 3: 0}
    for _, _, entries in rubrics:
        if len({e & (REMEDY_INDEX_LIMIT - 1) for e in entries}) != len(entries):
            problems.append("a remedy twice in one rubric")
        for e in entries:
            grades[3 if e & GRADE_FLAG[3] else 2 if e & GRADE_FLAG[2] else 1] += 1
    regraded = counts["regraded"]
    expect("entries by grade", grades,
           {1: SOURCE_GRADES[1] - removed[1], 2: SOURCE_GRADES[2] - removed[2] + regraded,
            3: SOURCE_GRADES[3] - removed[3] - regraded})
    if len(abbreviations) > REMEDY_INDEX_LIMIT:
        problems.append("more remedies than an entry can name")
    if len({a.upper() for a in abbreviations}) != len(abbreviations):
        problems.append("abbreviations repeat when letter case is ignored")
    texts = [t for t, _ in chapters] + [t for t, _ in headings] + [r[1] for r in rubrics]
    if not all(t and t.isascii() and "\t" not in t for t in texts + abbreviations):
        problems.append("an empty text, or one that is not ASCII or holds a tab")
    for what, items, limit in (("chapter", [t for t, _ in chapters], CHAPTER_TEXT_MAX),
                               ("heading", [t for t, _ in headings], HEADING_TEXT_MAX),
                               ("rubric", [r[1] for r in rubrics], RUBRIC_TEXT_MAX),
                               ("abbreviation", abbreviations, ABBREVIATION_MAX)):
        longest = max(items, key=len)
        if len(longest) > limit:
            problems.append("%s text longer than %d: %s" % (what, limit, longest))
    for what, items, limit in (("headingEnd", chapters, len(headings)),
                               ("rubricEnd", headings, len(rubrics))):
        ends = [end for _, end in items]
        if any(a >= b for a, b in zip([0] + ends, ends)) or ends[-1] != limit:
            problems.append("%s values do not rise to %d" % (what, limit))
    if problems:
        raise SourceError("the result breaks a rule:\n  " + "\n  ".join(problems))


def render(content):
    abbreviations, chapters, headings, rubrics = content
    out = [HEADER]
    for i, name in enumerate(abbreviations):
        out.append("remedy\t%d\t%s\n" % (i, name))
    for i, (text, end) in enumerate(chapters):
        out.append("chapter\t%d\t%d\t%s\n" % (i, end, text))
    for i, (text, end) in enumerate(headings):
        out.append("heading\t%d\t%d\t%s\n" % (i, end, text))
    for i, (first, text, entries) in enumerate(rubrics):
        out.append("rubric\t%d\t%d\t%d\t0\t0\t%s\t%s\n"
                   % (i + 1, first, len(entries), text, " ".join(map(str, entries))))
    return "".join(out)


def write_output(path, data):
    """The content file, or an xz-compressed tar archive holding it as
    "publicum.tsv" when the path ends in ".tar.xz"; the archive is the same
    byte for byte on every run (no time stamps, owners or other metadata)."""
    if not path.endswith(".tar.xz"):
        with open(path, "wb") as f:
            f.write(data)
        return
    member = tarfile.TarInfo(ARCHIVE_MEMBER)
    member.size = len(data)
    member.mode = 0o644
    member.mtime = 0
    with open(path, "wb") as f, lzma.open(f, "wb", preset=9 | lzma.PRESET_EXTREME) as xz:
        with tarfile.open(fileobj=xz, mode="w", format=tarfile.USTAR_FORMAT) as archive:
            archive.addfile(member, io.BytesIO(data))


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: gen_publicum.py SOURCE_FOLDER OUTPUT\n")
        return 2
    report = Report()
    try:
        chapters, rubrics, counts = read_source(argv[1], report)
        content = build(chapters, rubrics, report)
        check_result(content, counts, report)
    except (SourceError, OSError, ValueError) as e:
        sys.stderr.write("gen_publicum.py: %s\n" % e)
        return 1
    write_output(argv[2], render(content).encode("cp1252"))
    abbreviations, chapters, headings, rubrics = content
    print("%d chapters, %d headings, %d rubrics, %d entries, %d remedies"
          % (len(chapters), len(headings), len(rubrics), sum(len(r[2]) for r in rubrics),
             len(abbreviations)))
    print("Mended (nothing dropped otherwise):" if report.items else "Nothing mended or dropped.")
    for line in report.lines():
        print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
