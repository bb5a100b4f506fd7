#!/usr/bin/env python3
"""Writes what the Repertorium Publicum source says about a sample of rubrics,
remedies and search texts, for the companion's whole-process tests.

Usage: python3 tests/content/publicum_sample.py SOURCE_FOLDER tests/content/publicum_sample.txt

A reading of the JSON source of its own, apart from tools/gen_publicum.py, so
that the tests compare the program with the source and not with the tool
that made its content. It follows the rules of the content: chapters in the
order of index.json, each path split at ", ", rubrics numbered in the order
of their levels (letter case ignored first), grades from the spelling (ALL
CAPITALS 3, Initial capital 2, lower case 1; a list never rises again, so a
name in capitals after a lower grade is of that grade), a remedy named twice
in a rubric counted once with its higher grade, "NAME (4)" read as NAME, a
path with a separator after its last level the same rubric as without it.

The sample is drawn with a fixed seed; rubrics where the source needed
mending are always in it. The output is the same byte for byte on every run.
Standard library only.
"""

import json
import sys

SEED = 0x9B11C0
SAMPLED_RUBRICS = 12
SAMPLED_REMEDIES = 4
SAMPLED_QUERIES = 8
MOST_QUERY_HITS = 200
MOST_REMEDY_ENTRIES = 150
RUBRIC_TEXT_MAX = 255

# Rubrics whose source needed mending, and the extremes of the mapping.
ALWAYS_RUBRICS = [
    "Vertigo",  # a bare chapter rubric
    "Mind, speech, answers, monosyllable",  # also written with a separator after it
    "Nose, hayfever",  # "NAT-M (4)"
    "Clinical, anesthesia",  # remedies named twice
    "Eye, itching",  # AIDS in capitals among grade 2
    "Cough, croupy, with sopor, stertorous breathing and wheezing, with open mouth and head"
    " thrown back; the child starts up, kicks about, is on point of suffocating, turns black and"
    " blue in face, after which cough with rattling breathing sets in again, suffocates",
]
# Remedies whose source needed mending or which have the longest abbreviation.
ALWAYS_REMEDIES = ["aids", "calc-caust"]

MASK64 = (1 << 64) - 1


class SplitMix64:
    def __init__(self, seed):
        self.state = seed

    def below(self, n):
        self.state = (self.state + 0x9E3779B97F4A7C15) & MASK64
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        return (z ^ (z >> 31)) % n


def grade_of(name):
    if name.isupper():
        return 3
    if name.islower():
        return 1
    return 2


class Rubric:
    def __init__(self, chapter, levels):
        self.chapter = chapter
        self.levels = levels
        self.remedies = []  # [lower-case name, grade], in list order
        self.grades = {}  # the same items by name


def read(folder):
    """The rubrics in their order, the chapter titles, and the names whose
    grade-2 spelling is all capitals."""
    with open(folder + "/index.json") as f:
        index = json.load(f, object_pairs_hook=list)
    titles = []
    by_path = {}
    capitals = set()
    for chapter, (title, info) in enumerate(index):
        titles.append(title)
        with open(folder + "/" + dict(info)["file"]) as f:
            for path, remedies in json.load(f, object_pairs_hook=list):
                levels = path.split(", ")[1:]
                if levels and levels[-1] == "":
                    levels.pop()
                rubric = by_path.setdefault((chapter, tuple(levels)), Rubric(chapter, levels))
                ceiling = 3
                for item in remedies.split(", "):
                    name = item.split(" (")[0]
                    grade = min(grade_of(name), ceiling)
                    ceiling = grade
                    if grade == 2 and name.isupper():
                        capitals.add(name.lower())
                    entry = rubric.grades.get(name.lower())
                    if entry:
                        entry[1] = max(entry[1], grade)
                    else:
                        rubric.grades[name.lower()] = [name.lower(), grade]
                        rubric.remedies.append(rubric.grades[name.lower()])
    order = sorted(by_path, key=lambda k: (k[0], [(l.lower(), l) for l in k[1]]))
    return [by_path[k] for k in order], titles, capitals


def upper_first(level):
    return level[:1].upper() + level[1:]


def texts(rubric, titles):
    """Symptom text (with the count) and location text of a rubric."""
    title = titles[rubric.chapter]
    if not rubric.levels:
        own, heading = title, title
    else:
        heading = upper_first(rubric.levels[0])
        parts = [upper_first(l) for l in rubric.levels]
        for joined in range(len(parts), 0, -1):
            own = ", - ".join(parts[:joined])
            if joined < len(parts):
                own += ", " + ", ".join(rubric.levels[joined:])
            if len(own) <= RUBRIC_TEXT_MAX:
                break
    return "%s [%d]" % (own, len(rubric.remedies)), title.upper() + " " + heading


def abbreviation(name, capitals):
    return (name.upper() if name in capitals else upper_first(name)) + "."


def ranking(rubrics, capitals):
    """The evaluation's ranking of a case of these rubrics: hits, then the sum
    of grades, then the abbreviation compared in capitals."""
    scores = {}
    for rubric in rubrics:
        for name, grade in rubric.remedies:
            hits, total = scores.get(name, (0, 0))
            scores[name] = (hits + 1, total + grade)
    names = sorted(scores, key=lambda n: (-scores[n][0], -scores[n][1],
                                          abbreviation(n, capitals).upper()))
    return ["%s:%d:%d" % (abbreviation(n, capitals), *scores[n]) for n in names]


def sample(rubrics, titles, capitals):
    rng = SplitMix64(SEED)
    path_number = {}
    for number, rubric in enumerate(rubrics, 1):
        path_number[", ".join([titles[rubric.chapter]] + rubric.levels)] = number
    numbers = [path_number[p] for p in ALWAYS_RUBRICS]
    while len(numbers) < len(ALWAYS_RUBRICS) + SAMPLED_RUBRICS:
        n = rng.below(len(rubrics)) + 1
        if n not in numbers:
            numbers.append(n)

    out = []
    total = sum(len(r.remedies) for r in rubrics)
    out.append("info\t%d\t%d\t%d\t%d\t%d" % (
        len(titles), len({(r.chapter, r.levels[0] if r.levels else None) for r in rubrics}),
        len(rubrics), len({n for r in rubrics for n, _ in r.remedies}), total))
    for n in numbers:
        rubric = rubrics[n - 1]
        symptom, location = texts(rubric, titles)
        entries = " ".join("%s:%d" % (abbreviation(name, capitals), grade)
                           for name, grade in rubric.remedies)
        out.append("rubric\t%d\t%s\t%s\t%s" % (n, symptom, location, entries))
    out.append("ranking\t" + " ".join(ranking([rubrics[n - 1] for n in numbers], capitals)))

    where = {}
    for number, rubric in enumerate(rubrics, 1):
        for name, grade in rubric.remedies:
            where.setdefault(name, []).append("%d:%d" % (number, grade))
    names = list(ALWAYS_REMEDIES)
    candidates = sorted(n for n in where if len(where[n]) <= MOST_REMEDY_ENTRIES)
    while len(names) < len(ALWAYS_REMEDIES) + SAMPLED_REMEDIES:
        name = candidates[rng.below(len(candidates))]
        if name not in names:
            names.append(name)
    for name in names:
        out.append("remedy\t%s\t%s" % (abbreviation(name, capitals), " ".join(where[name])))

    folded = [[t.upper() for t in texts(r, titles)] for r in rubrics]
    queries = []
    while len(queries) < SAMPLED_QUERIES:
        words = [w for w in texts(rubrics[rng.below(len(rubrics))], titles)[0].split(" ")
                 if len(w) >= 4 and w.isalpha()]
        if not words:
            continue
        query = words[rng.below(len(words))]
        if len(words) > 1 and rng.below(2):
            query += " " + words[rng.below(len(words))]
        # Each word in the symptom text or in the location text.
        hits = [str(n) for n, (symptom, location) in enumerate(folded, 1)
                if all(w in symptom or w in location for w in query.upper().split(" "))]
        if 0 < len(hits) <= MOST_QUERY_HITS and query not in [q for q, _ in queries]:
            queries.append((query, hits))
    for query, hits in queries:
        out.append("search\t%s\t%s" % (query, " ".join(hits)))
    return out


HEADER = """\
# What the Repertorium Publicum source says about a sample of its rubrics,
# remedies and search texts; made by tests/content/publicum_sample.py from the
# source, not from the content file. Tab-separated records:
#   info     chapters headings rubrics remedies entries
#   rubric   number symptomText locationText abbreviation:grade... (list order)
#   ranking  abbreviation:hits:gradeSum... (a case of all rubrics above, ranked)
#   remedy   abbreviation number:grade... (every rubric it stands in)
#   search   text number... (the rubrics holding each word in their symptom
#            or location text, in rubric order)
"""


def main(argv):
    if len(argv) != 3:
        sys.stderr.write("usage: publicum_sample.py SOURCE_FOLDER OUTPUT\n")
        return 2
    rubrics, titles, capitals = read(argv[1])
    with open(argv[2], "w", encoding="ascii", newline="\n") as f:
        f.write(HEADER + "\n".join(sample(rubrics, titles, capitals)) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
