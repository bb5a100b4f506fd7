#!/usr/bin/env python3
"""Measures how much of a repertory content the German search words reach.

Usage: python3 tools/vocabulary_coverage.py data/vocabulary.txt CONTENT.tsv [LIST]

CONTENT.tsv is a content file in the format of data/repertory.tsv (the build
unpacks the Publicum content to build/data/publicum.tsv). Prints:

- headings: the share of the headings (second-level names) whose own text a
  German word reaches, i.e. holds every word of one English alternative of a
  vocabulary entry at the start of a word, as the translated search finds
  them; and the share of the rubrics under those headings;
- frequent words: of the 500 most frequent words of the rubric texts (each
  counted once per rubric; words of one or two letters and English function
  words such as "the", "and", "when" left out), the share that starts with an
  English word of the vocabulary, and the same share of their occurrences.

With LIST (a number) it also lists that many of the frequent words no German
word reaches, most frequent first, and the largest headings no German word
reaches. Standard library only.
"""

import re
import sys

FREQUENT_WORDS = 500
# English words that carry no symptom of their own; the German search words
# ignore their German counterparts ("und", "der", "wenn", "wie").
FUNCTION_WORDS = set("""
ALL AND ANY ARE BEEN BEING BUT CAN COULD DID DOES ETC FOR HAD HAS HAVE HER HERS HIM HIS ITS LIKE
MUST NOT ONE ONLY OTHER OTHERS SHE SOME SOMETHING THAN THAT THE THEIR THEM THEN THERE THESE THEY
THIS THOSE WAS WERE WHEN WHICH WHO WOULD
""".split())
WORD = re.compile(r"[A-Z]+")


def english_alternatives(path):
    """The English alternatives of the vocabulary, each a tuple of words in
    capitals."""
    alternatives = set()
    with open(path, encoding="utf-8") as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            english = line.split("\u2192", 1)[1].strip()
            if english == "-":
                continue
            for alternative in english.split(","):
                alternatives.add(tuple(w.strip().upper() for w in alternative.split("+")))
    return alternatives


def read_content(path):
    """Heading texts with their rubric counts, and the rubric texts."""
    headings = []
    rubrics = []
    with open(path, encoding="cp1252") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            if fields[0] == "heading":
                headings.append((fields[3], int(fields[2])))
            elif fields[0] == "rubric":
                rubrics.append(fields[6])
    sized = []
    start = 0
    for text, end in headings:
        sized.append((text, end - start))
        start = end
    return sized, rubrics


def english_starts(word, starts):
    """The English words of the vocabulary `word` starts with; `starts` maps
    a first letter to those words."""
    return {english for english in starts.get(word[0], ()) if word.startswith(english)}


def reached(words, alternatives, starts):
    """Whether one alternative has each of its words at the start of one of
    `words`."""
    found = set()
    for word in words:
        found |= english_starts(word, starts)
    return any(all(w in found for w in alternative) for alternative in alternatives)


def main(argv):
    if len(argv) not in (3, 4):
        sys.stderr.write(__doc__)
        return 2
    alternatives = english_alternatives(argv[1])
    starts = {}
    for word in {w for alternative in alternatives for w in alternative}:
        starts.setdefault(word[0], []).append(word)
    headings, rubrics = read_content(argv[2])
    listed = int(argv[3]) if len(argv) == 4 else 0

    missed_headings = []
    reached_rubrics = 0
    for text, size in headings:
        if reached(WORD.findall(text.upper()), alternatives, starts):
            reached_rubrics += size
        else:
            missed_headings.append((size, text))
    count = len(headings)
    print("headings reached: %d of %d (%.1f %%), with %d of %d rubrics (%.1f %%)"
          % (count - len(missed_headings), count, 100.0 * (count - len(missed_headings)) / count,
             reached_rubrics, len(rubrics), 100.0 * reached_rubrics / len(rubrics)))

    frequency = {}
    for text in rubrics:
        for word in set(WORD.findall(text.upper())):
            if len(word) >= 3 and word not in FUNCTION_WORDS:
                frequency[word] = frequency.get(word, 0) + 1
    frequent = sorted(frequency, key=lambda w: (-frequency[w], w))[:FREQUENT_WORDS]
    missed_words = [w for w in frequent if not english_starts(w, starts)]
    occurrences = sum(frequency[w] for w in frequent)
    missed_occurrences = sum(frequency[w] for w in missed_words)
    print("frequent words reached: %d of %d (%.1f %%), %.1f %% of their occurrences"
          % (len(frequent) - len(missed_words), len(frequent),
             100.0 * (len(frequent) - len(missed_words)) / len(frequent),
             100.0 * (occurrences - missed_occurrences) / occurrences))
    if listed:
        print("frequent words not reached:")
        print("  " + ", ".join("%s %d" % (w.lower(), frequency[w]) for w in missed_words[:listed]))
        print("largest headings not reached:")
        missed_headings.sort(key=lambda h: (-h[0], h[1]))
        print("  " + ", ".join("%s %d" % (t, s) for s, t in missed_headings[:listed]))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
