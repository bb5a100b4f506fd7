#!/usr/bin/env python3
"""Checks every stated fact of the built-in repertory content.

Usage: python3 tests/content/check_content.py [data/repertory.tsv]

Reads the content file, checks each fact on its own and prints one line per
failed fact; ends with "N passed, M failed" and exits 1 when any failed.
Standard library only.
"""

import os
import re
import sys

REMEDIES = 358
CHAPTERS = 32
HEADINGS = 2315
RUBRICS = 8385
ENTRIES = 159125

CHAPTER_TABLE = [
    ("SECTION I : GENERALITIES --- Ailments Affecting the Body as a Whole", 229, 833),
    ("SECTION II : MIND --- Mental Symptoms -- Delusions -- Fears -- Mistakes -- Weeping, Etc.", 410, 1115),
    ("SECTION III : HEAD --- Affections of Head -- Headache -- Hair -- Scalp", 465, 1453),
    ("SECTION IV : VERTIGO --- Dizziness", 511, 1523),
    ("SECTION V : FACE --- Cheeks -- Forehead -- Lips -- Corners of Mouth -- Salivary Glands -- Around or Under Eyes, Etc.", 588, 1783),
    ("SECTION VI : MOUTH --- Gums -- Palate -- Tongue -- Breath -- Salivation -- Speech -- Taste", 670, 2062),
    ("SECTION VII : TEETH --- Toothache", 687, 2141),
    ("SECTION VIII : EYES --- Canthus -- Conjunctiva -- Cornea -- Iris -- Lacrimal Apparatus -- Lids -- Pupils -- Retina", 805, 2489),
    ("SECTION IX : VISION", 837, 2543),
    ("SECTION X : EARS --- Discharges -- Noises -- Hearing", 875, 2664),
    ("SECTION XI NOSE --- Epistaxis -- Coryza -- Sneezing -- Smell", 924, 2816),
    ("SECTION XII : THROAT --- Esophagus -- Pharynx -- Tonsils -- Uvula -- External Throat or Neck", 1009, 2997),
    ("SECTION XIII : STOMACH --- Appetite - Eructations -- Hiccough -- Nausea -- Thirst -- Vomiting -- Aversions or Desires", 1056, 3310),
    ("SECTION XIV : ABDOMEN --- Liver -- Spleen -- Pancreas -- Hypochondria -- Hypogastrium -- Inguinal Region -- Umbilical Region", 1132, 3553),
    ("SECTION XV : RECTUM --- Anus -- Perineum -- Constipation -- Diarrhoea -- Flatus -- Hemorrhoids -- Prolapse, Etc.", 1183, 3767),
    ("SECTION XVI : STOOL --- Types of Stool", 1247, 3837),
    ("SECTION XVII : BLADDER --- Neck of Bladder -- Incontinence -- Retention -- Urination", 1290, 3968),
    ("SECTION XVIII : KIDNEYS --- Region of Kidneys -- Ureters -- Anuria, Etc.", 1300, 3999),
    ("SECTION XIX : PROSTATE GLAND", 1308, 4015),
    ("SECTION XX : URETHRA --- Meatus -- Discharges -- Stricture", 1365, 4181),
    ("SECTION XXII : MALE GENITALS --- Sexual Passion -- Seminal Emissions -- Erections", 1514, 4849),
    ("SECTION XXIV : LARYNX --- Trachea -- Air Passages -- Voice", 1551, 4994),
    ("SECTION XXV : RESPIRATION --- Types of Breathing -- Asthma, Etc.", 1593, 5125),
    ("SECTION XXVI : COUGH", 1685, 5270),
    ("SECTION XXVII : EXPECTORATION --- Types of Expectoration", 1728, 5323),
    ("SECTION XXVIII : CHEST --- Breasts -- Heart -- Axillae -- Palpitations -- Lungs - Milk Secretion", 1823, 5743),
    ("SECTION XXIX : BACK --- Spinal Cord", 1877, 6064),
    ("SECTION XXX : EXTREMITIES --- Rheumatism -- Sciatica, Etc.", 2034, 7495),
    ("SECTION XXXII : CHILLS --- Chilliness -- Coldness", 2099, 7692),
    ("SECTION XXXIII : FEVER --- Heat", 2154, 7825),
    ("SECTION XXXIV : PERSPIRATION", 2220, 7984),
    ("SECTION XXXV : SKIN AFFECTIONS --- Eruptions -- Ulcers -- Warts -- In General", 2315, 8385),
]

FIRST_REMEDIES = ["Acon.", "Aesc.", "Agar.", "Alet.", "Aloe.", "Alum.", "Ambr.", "Am-c."]
LAST_REMEDIES = ["Bor-ac.", "Dicr.", "Pop.", "Rhus-a."]
EVALUATION_START = ["Acon.", "Agar.", "Am-c.", "Ant-t.", "Arg-n.", "Ars.", "Bar-c.", "Bell."]
POLYCHRESTS = ["Sulph.", "Calc.", "Lyc.", "Puls.", "Nux-v.", "Ars.", "Bell.", "Phos.", "Sep.", "Merc.", "Rhus-t."]

PLAIN_NUMBER = re.compile(r"(0|[1-9][0-9]*)\Z")
SIGNED_NUMBER = re.compile(r"(0|-?[1-9][0-9]*)\Z")
PARAGRAPH = re.compile(r" \{([0-9]{4})\}\Z")


class FormatError(Exception):
    pass


class Content:
    """The parsed file: records in their groups, in file order."""

    def __init__(self, raw):
        self.remedies, self.chapters, self.headings, self.rubrics = [], [], [], []
        self.comments = []
        if b"\r" in raw:
            raise FormatError("the file holds a carriage return (line ends must be LF only)")
        if not raw.endswith(b"\n"):
            raise FormatError("the last line has no line feed")
        text = raw.decode("cp1252")
        order = ["remedy", "chapter", "heading", "rubric"]
        group = 0
        for number, line in enumerate(text.split("\n")[:-1], start=1):
            if line.startswith("#"):
                self.comments.append(line)
                continue
            fields = line.split("\t")
            kind = fields[0]
            if kind not in order:
                raise FormatError("line %d: unknown record %r" % (number, kind))
            if order.index(kind) < group:
                raise FormatError("line %d: %s record after the %s records" % (number, kind, order[group]))
            group = order.index(kind)
            width = {"remedy": 3, "chapter": 4, "heading": 4, "rubric": 8}[kind]
            if len(fields) != width:
                raise FormatError("line %d: %s record with %d fields, not %d" % (number, kind, len(fields), width))
            numeric = fields[1:width - 1] if kind != "rubric" else fields[1:6]
            for i, field in enumerate(numeric):
                pattern = SIGNED_NUMBER if (kind == "rubric" and i == 3) else PLAIN_NUMBER
                if not pattern.match(field):
                    raise FormatError("line %d: %r is not a plain decimal number" % (number, field))
            if kind == "remedy":
                self.remedies.append((int(fields[1]), fields[2]))
            elif kind == "chapter":
                self.chapters.append((int(fields[1]), int(fields[2]), fields[3]))
            elif kind == "heading":
                self.headings.append((int(fields[1]), int(fields[2]), fields[3]))
            else:
                entries = fields[7].split(" ") if fields[7] else []
                if any(not PLAIN_NUMBER.match(e) for e in entries):
                    raise FormatError("line %d: entries are not plain numbers separated by single blanks" % number)
                self.rubrics.append(dict(number=int(fields[1]), first=int(fields[2]), count=int(fields[3]),
                                         opposite=int(fields[4]), opposite_bd=int(fields[5]), text=fields[6],
                                         entries=[int(e) for e in entries]))


class Checker:
    def __init__(self):
        self.passed = 0
        self.failed = 0

    def fact(self, name, ok, detail=""):
        if ok:
            self.passed += 1
        else:
            self.failed += 1
            print("FAILED: %s%s" % (name, (" -- " + detail) if detail else ""))


def fold(text):
    """The text search's folding: "ss" for the sharp s, then upper case."""
    return text.replace("\xdf", "ss").upper()


def evaluation_key(name):
    return name.upper().encode("cp1252")


def check(content, size, out):
    abbreviations = [name for _, name in content.remedies]
    headings, rubrics = content.headings, content.rubrics

    # Remedy table.
    out.fact("358 remedy rows, index 0..357 in order",
             [i for i, _ in content.remedies] == list(range(REMEDIES)))
    bad = [n for n in abbreviations if not (3 <= len(n) <= 10 and n.endswith(".") and n.isascii())]
    out.fact("abbreviations have 3 to 10 ASCII characters and end in '.'", not bad, str(bad[:5]))
    out.fact("abbreviations are unique ignoring case",
             len({n.upper() for n in abbreviations}) == len(abbreviations))
    out.fact("first eight abbreviations", abbreviations[:8] == FIRST_REMEDIES, str(abbreviations[:8]))
    out.fact("last four abbreviations", abbreviations[-4:] == LAST_REMEDIES, str(abbreviations[-4:]))

    # Chapter table.
    out.fact("32 chapter rows, index 0..31 in order", [c[0] for c in content.chapters] == list(range(CHAPTERS)))
    out.fact("chapter texts and headingEnd values",
             [(c[2], c[1]) for c in content.chapters] == [(t, e) for t, e, _ in CHAPTER_TABLE])
    out.fact("longest chapter text has 124 characters",
             max((len(c[2]) for c in content.chapters), default=0) == 124)

    # Headings.
    out.fact("2315 heading rows, index 0..2314 in order", [h[0] for h in headings] == list(range(HEADINGS)))
    ends = [h[1] for h in headings]
    out.fact("heading rubricEnd never decreases", all(a <= b for a, b in zip(ends, ends[1:])))
    out.fact("last heading rubricEnd is 8385", bool(ends) and ends[-1] == RUBRICS)
    if len(headings) == HEADINGS:
        last_numbers = [ends[e - 1] for _, e, _ in CHAPTER_TABLE]
        out.fact("last rubric number of every chapter", last_numbers == [n for _, _, n in CHAPTER_TABLE],
                 str(last_numbers))
    starts = [0] + ends[:-1]
    owned = [e - s for s, e in zip(starts, ends)]
    out.fact("85 headings own no rubric", owned.count(0) == 85, str(owned.count(0)))
    self_named = sum(1 for i, h in enumerate(headings) if owned[i] == 1 and h[1] <= len(rubrics)
                     and rubrics[h[1] - 1]["text"] == h[2])
    out.fact("1414 headings own one rubric of exactly their own text", self_named == 1414, str(self_named))
    heading_texts = [h[2] for h in headings]
    out.fact("heading texts are ASCII without control characters",
             all(t.isascii() and t.isprintable() for t in heading_texts))
    out.fact("longest heading text has 169 characters", max(map(len, heading_texts), default=0) == 169)
    empty_texts = {h[2] for i, h in enumerate(headings) if owned[i] == 0}
    out.fact("chapter-opening title without rubric",
             "Head -- Headache -- Forehead -- Occiput -- Scalp -" in empty_texts)
    out.fact("cross-reference heading without rubric", "Illusions -- See Delusions" in empty_texts)

    # Rubrics: numbering, entry runs, counts.
    out.fact("8385 rubric rows, number 1..8385 in order", [r["number"] for r in rubrics] == list(range(1, RUBRICS + 1)))
    running = 0
    contiguous = True
    for r in rubrics:
        contiguous = contiguous and r["first"] == running and r["count"] == len(r["entries"])
        running += len(r["entries"])
    out.fact("entry runs are contiguous from 0 and match entryCount", contiguous)
    counts = [r["count"] for r in rubrics]
    out.fact("entryCount sums to 159125", sum(counts) == ENTRIES, str(sum(counts)))
    out.fact("entryCount from 1 to 245", bool(counts) and min(counts) == 1 and max(counts) == 245,
             "%s..%s" % (min(counts, default=None), max(counts, default=None)))
    out.fact("rubrics of exactly 30, exactly 31 and more than 99 entries",
             30 in counts and 31 in counts and any(c > 99 for c in counts))
    out.fact("oppositeNumber and oppositeBd are 0 everywhere",
             all(r["opposite"] == 0 and r["opposite_bd"] == 0 for r in rubrics))
    out.fact("every entry is a remedy index below 358 (grade 1, no BD mark)",
             all(e < REMEDIES for r in rubrics for e in r["entries"]))
    out.fact("no remedy twice in one rubric", all(len(set(r["entries"])) == len(r["entries"]) for r in rubrics))

    # Rubric texts.
    texts = [r["text"] for r in rubrics]
    out.fact("rubric texts are ASCII without control characters", all(t.isascii() and t.isprintable() for t in texts))
    out.fact("longest rubric text has 192 characters", max(map(len, texts), default=0) == 192)
    paragraphs = [PARAGRAPH.search(t) for t in texts]
    numbered = [int(m.group(1)) for m in paragraphs if m]
    out.fact("8249 rubric texts end in a four-digit paragraph number", len(numbered) == 8249, str(len(numbered)))
    out.fact("5825 distinct paragraph numbers", len(set(numbered)) == 5825, str(len(set(numbered))))
    out.fact("paragraph numbers run from 0001 to 6769", bool(numbered) and min(numbered) == 1
             and max(numbered) == 6769)
    out.fact("one rubric text ends in {????}", sum(t.endswith(" {????}") for t in texts) == 1)
    unbraced = sum(1 for t in texts if not t.endswith("}"))
    out.fact("135 rubric texts carry no number in braces", unbraced == 135, str(unbraced))
    rising = sum(1 for a, b in zip(numbered, numbered[1:]) if a <= b)
    out.fact("paragraph numbers mostly rise through the book", rising >= 0.95 * (len(numbered) - 1))

    # Chapters I to VII, the part the text overlay replaces.
    long_headings = sum(1 for t in heading_texts[:687] if len(t) > 127)
    long_rubrics = sum(1 for t in texts[:2141] if len(t) > 127)
    out.fact("9 heading texts of chapters I-VII are longer than 127", long_headings == 9, str(long_headings))
    out.fact("8 rubric texts of chapters I-VII are longer than 127", long_rubrics == 8, str(long_rubrics))

    if len(rubrics) < 3:
        return
    r1, r2, r3 = rubrics[0], rubrics[1], rubrics[2]
    out.fact("rubric 1 row", (r1["text"], r1["first"], r1["count"]) == ("Afternoon, - In {0004}", 0, 101))
    out.fact("rubric 1 lists remedies 0..100 in order", r1["entries"] == list(range(101)))
    out.fact("rubric 2 row", (r2["text"], r2["first"], r2["count"]) == ("Air, - While in the Open {0016}", 101, 82))
    out.fact("rubric 2 starts with 0, 101, 2, 7, 10, 13", r2["entries"][:6] == [0, 101, 2, 7, 10, 13])
    shared = set(r1["entries"]) & set(r2["entries"])
    out.fact("rubric 2 shares 55 remedies with rubric 1", len(shared) == 55, str(len(shared)))
    out.fact("rubric 2 introduces remedies 101..127",
             sorted(set(r2["entries"]) - set(r1["entries"])) == list(range(101, 128)))
    out.fact("rubric 3 row", (r3["text"], r3["first"], r3["count"]) == ("Air, - From Draft of {0014}", 183, 45))
    out.fact("rubrics 1 to 3 belong to the first headings of chapter I",
             any(end >= 3 for end in ends[:3]) and ends[content.chapters[0][1] - 1] >= 3)
    out.fact("rubric 5 has 12 entries", len(rubrics) > 4 and rubrics[4]["count"] == 12)

    # Remedy indexes in order of first appearance; all used; book order.
    next_new = 0
    in_order = True
    for r in rubrics:
        for e in r["entries"]:
            if e == next_new:
                next_new += 1
            elif e > next_new:
                in_order = False
    out.fact("remedy indexes follow the order of first appearance", in_order)
    out.fact("every one of the 358 remedies is used", next_new == REMEDIES, str(next_new))
    last = rubrics[-1]["entries"]
    out.fact("remedies 354..357 stand in the last rubric", set(range(354, 358)) <= set(last))
    ascending = sum(1 for r in rubrics if len(r["entries"]) >= 5 and r["entries"] == sorted(r["entries"]))
    larger = sum(1 for r in rubrics if len(r["entries"]) >= 5)
    out.fact("entries keep the book's order, mostly not sorted by index",
             r2["entries"] != sorted(r2["entries"]) and ascending < larger // 2,
             "%d of %d rubrics sorted" % (ascending, larger))

    # Evaluation of the case rubric 1, rubric 2.
    hits = [0] * REMEDIES
    for r in (r1, r2):
        for e in r["entries"]:
            hits[e] += 1
    out.fact("case 1, 2: 55 remedies with 2 hits and 73 with 1", hits.count(2) == 55 and hits.count(1) == 73,
             "%d and %d" % (hits.count(2), hits.count(1)))
    if len(abbreviations) == REMEDIES:
        ranking = sorted(range(REMEDIES), key=lambda m: (-hits[m], evaluation_key(abbreviations[m])))
        start = [abbreviations[m] for m in ranking[:8]]
        out.fact("case 1, 2 ranking begins Acon., Agar., Am-c., Ant-t., Arg-n., Ars., Bar-c., Bell.",
                 start == EVALUATION_START, str(start))

    # Wording the searches rely on.
    chapter_of_heading = []
    for c, (_, end, _) in enumerate(content.chapters):
        chapter_of_heading += [c] * (end - len(chapter_of_heading))
    location = []
    for h, (_, end, text) in enumerate(headings):
        chapter = content.chapters[chapter_of_heading[h]][2] if h < len(chapter_of_heading) else ""
        location += [fold(chapter + " " + text)] * (end - len(location))
    searched = [(fold("%s [%d]" % (r["text"], r["count"])), location[i] if i < len(location) else "")
                for i, r in enumerate(rubrics)]

    def search(*words):
        return [i + 1 for i, (symptom, loc) in enumerate(searched)
                if all(w in symptom or w in loc for w in map(fold, words))]

    open_air = search("open", "air")
    out.fact("the words open and air stand in rubric 2 and in only a handful of others",
             2 in open_air and len(open_air) <= 6, str(open_air))
    fussy = search("fuss")
    out.fact("a few rubrics hold Fussy or Fussiness", 2 <= len(fussy) <= 6
             and all("FUSSY" in searched[n - 1][0] or "FUSSINESS" in searched[n - 1][0] for n in fussy),
             str(fussy))
    out.fact("the query fuss and the query with sharp s find the same rubrics", search("fu\xdf") == fussy)
    out.fact("cross-references stand in the texts as plain words",
             "Epilepsy, - See Convulsions" in texts and any(t.endswith("-- Compare Chlorosis") for t in texts))
    out.fact("book-style rubric texts", sum(", - " in t for t in texts) > RUBRICS // 2)

    # Realistic skew.
    use = [0] * REMEDIES
    for r in rubrics:
        for e in r["entries"]:
            use[e] += 1
    if len(abbreviations) == REMEDIES:
        weak = [n for n in POLYCHRESTS if n in abbreviations and use[abbreviations.index(n)] < RUBRICS // 5]
        out.fact("the polychrests stand in at least a fifth of all rubrics", not weak, str(weak))
    median = sorted(use)[REMEDIES // 2]
    out.fact("most remedies stand in few rubrics", median < RUBRICS // 20 and median * 10 < max(use),
             "median %d, most %d" % (median, max(use)))

    out.fact("the file stays below 2 MB", size < 2 * 1024 * 1024, str(size))
    header = " ".join(content.comments).lower()
    out.fact("the header says the content is a generated stand-in without medical meaning",
             "generated stand-in" in header and "no medical meaning" in header and "gen_repertory.py" in header)


def main(argv):
    path = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "..", "data", "repertory.tsv")
    try:
        with open(path, "rb") as f:
            raw = f.read()
    except OSError as e:
        print("FAILED: cannot read %s: %s" % (path, e.strerror))
        print("0 passed, 1 failed")
        return 1
    out = Checker()
    try:
        content = Content(raw)
    except (FormatError, UnicodeDecodeError) as e:
        print("FAILED: %s: %s" % (path, e))
        print("0 passed, 1 failed")
        return 1
    check(content, len(raw), out)
    print("%d passed, %d failed" % (out.passed, out.failed))
    return 1 if out.failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
