#!/usr/bin/env python3
"""Writes the stand-in repertory content, data/repertory.tsv.

The licensed repertory content is not part of this project. This program
builds a content of exactly the same shape: every table size, every
cumulative end, the example rows, the chapter table and all the other facts
the program and its tests rely on hold exactly, and the texts imitate the
book's style (modalities, sides, times, sensations, cross-references).
The remedy assignments are drawn with a fixed pseudo-random generator and
carry no medical meaning.

Usage:  python3 tools/gen_repertory.py data/repertory.tsv

Standard library only. The output is the same byte for byte on every run
and with every Python 3 version: the `random` module, floating point and the
iteration order of sets are never used for a choice that reaches the output.
"""

import re
import sys
from bisect import bisect_right

# ---------------------------------------------------------------------------
# Pseudo-random numbers: splitmix64, one independent stream per concern, so
# that a change of wording does not reshuffle the remedy lists and vice versa.

MASK64 = (1 << 64) - 1


class SplitMix64:
    def __init__(self, seed):
        self.state = seed & MASK64

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & MASK64
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & MASK64
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & MASK64
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n

    def between(self, lo, hi):
        return lo + self.below(hi - lo + 1)

    def chance(self, percent):
        return self.below(100) < percent

    def choice(self, seq):
        return seq[self.below(len(seq))]

    def shuffle(self, items):
        for i in range(len(items) - 1, 0, -1):
            j = self.below(i + 1)
            items[i], items[j] = items[j], items[i]

    def sample(self, seq, k):
        pool = list(seq)
        self.shuffle(pool)
        return pool[:k]


SEED_LAYOUT = 0x7E55A1
SEED_TEXT = 0x7E55A2
SEED_NUMBERS = 0x7E55A3
SEED_COUNTS = 0x7E55A4
SEED_REMEDIES = 0x7E55A5
SEED_MARKS = 0x7E55A6

# ---------------------------------------------------------------------------
# Sizes and the chapter table (text, headingEnd, symptom number of the last
# rubric of the chapter).

HEADING_COUNT = 2315
RUBRIC_COUNT = 8385
REMEDY_COUNT = 358
ENTRY_TOTAL = 159125
EMPTY_HEADINGS = 85
SELF_NAMED_HEADINGS = 1414
NUMBERED_RUBRICS = 8249
DISTINCT_PARAGRAPHS = 5825
LAST_PARAGRAPH = 6769
UNNUMBERED_RUBRICS = 135
MAX_ENTRIES = 245

CHAPTERS = [
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

# ---------------------------------------------------------------------------
# Remedies. Each rubric lists its remedies in the book's order, which is
# alphabetical by the letters of the abbreviation (punctuation ignored, so
# "Ambr." comes before "Am-c."). Remedy indexes follow the order of first
# appearance in the rubric sequence.

REMEDY_NAMES = """
Abies-c. Abrot. Absin. Acet-ac. Acon. Act-r. Aesc. Aeth. Agar. Agn. Ail. Alet. All-c. All-s. Aloe. Alum.
Alumn. Am-c. Am-m. Ambr. Ammc. Amyg. Anac. Anag. Ang. Ant-c. Ant-t. Anthr. Apis. Apoc. Aral. Aran. Arg-m.
Arg-n. Arn. Ars. Ars-i. Art-v. Arum-t. Asaf. Asar. Asc-t. Aster. Aur. Aur-m. Aur-m-n. Aur-s. Aven.
Bad. Bapt. Bar-c. Bar-i. Bar-m. Bell. Bell-p. Benz-ac. Berb. Bism. Bor. Both. Bov. Brom. Bry. Bufo.
Cact. Cadm-s. Calad. Calc. Calc-ar. Calc-f. Calc-i. Calc-p. Calc-s. Calc-sil. Calen. Camph. Cann-i. Cann-s.
Canth. Caps. Carb-ac. Carb-an. Carb-s. Carb-v. Card-m. Cast. Caul. Caust. Cean. Cedr. Cench. Cham. Chel.
Chen-a. Chin. Chin-a. Chin-s. Chion. Chlor. Cic. Cimic. Cimx. Cina. Cinnb. Cist. Clem. Cob. Coca. Cocc. Coff.
Colch. Coll. Coloc. Con. Conv. Cop. Corn. Croc. Crot-c. Crot-h. Crot-t. Cub. Cupr. Cupr-ar. Cur. Cycl.
Daph. Dig. Dios. Dros. Dulc.
Echi. Elaps. Elat. Equis. Erig. Eryng. Eucal. Eup-per. Eup-pur. Euph. Euphr.
Fago. Ferr. Ferr-ar. Ferr-i. Ferr-m. Ferr-p. Fl-ac. Form.
Gamb. Gels. Gins. Glon. Gnaph. Graph. Grat. Grin. Guaj.
Ham. Hell. Helon. Hep. Hipp. Hydr. Hydr-ac. Hyos. Hyper.
Iber. Ign. Ind. Indg. Iod. Ip. Iris.
Jab. Jal. Jatr. Jug-r.
Kali-ar. Kali-bi. Kali-br. Kali-c. Kali-chl. Kali-cy. Kali-i. Kali-m. Kali-n. Kali-p. Kali-s. Kali-sil. Kalm. Kreos.
Lac-ac. Lac-c. Lac-d. Lach. Lachn. Lact. Lam. Lappa. Lath. Laur. Led. Lept. Lil-t. Lith-c. Lob. Lyc. Lycps. Lyss.
Mag-c. Mag-m. Mag-p. Mag-s. Manc. Mang. Med. Meli. Menis. Meny. Meph. Merc. Merc-c. Merc-cy. Merc-d. Merc-i-f.
Merc-i-r. Mez. Mill. Morph. Mosch. Mur-ac. Murx. Myric.
Naja. Nat-a. Nat-c. Nat-m. Nat-p. Nat-s. Nicc. Nit-ac. Nux-m. Nux-v.
Oena. Ol-an. Ol-j. Olnd. Onos. Op. Orig. Osm. Ox-ac.
Paeon. Pall. Par. Pareir. Passi. Petr. Petros. Ph-ac. Phel. Phos. Phys. Phyt. Pic-ac. Pip-m. Plan. Plat. Plb. Podo.
Polyg. Prun. Psor. Ptel. Puls. Pyrog.
Rad-br. Ran-b. Ran-s. Raph. Rat. Rheum. Rhod. Rhus-t. Rhus-v. Rob. Rumx. Ruta.
Sabad. Sabin. Sal-ac. Samb. Sang. Sanic. Sars. Sec. Sel. Senec. Seneg. Sep. Sil. Sin-n. Sol-n. Spig. Spong. Squil.
Stann. Staph. Stel. Stict. Still. Stram. Stront-c. Stry. Sul-ac. Sul-i. Sulph. Sumb. Symph. Syph.
Tab. Tanac. Tarax. Tarent. Tell. Ter. Teucr. Thea. Ther. Thuj. Thyr. Tril-p. Tub.
Upa. Uran-n. Urt-u. Ust. Uva. Valer. Verat. Verat-v. Verb. Vesp. Vib. Vinc. Viol-o. Viol-t. Vip. Xan. Zinc. Zinc-p. Zing.
""".split()

# Rare remedies that first appear in the very last rubric, so they close the
# abbreviation table (indexes 354..357).
LATE_REMEDIES = ["Bor-ac.", "Dicr.", "Pop.", "Rhus-a."]

# The first rubric ("Afternoon, - In") lists 101 remedies; they become
# remedy indexes 0..100.
RUBRIC1_REMEDIES = """
Acon. Aesc. Agar. Alet. Aloe. Alum. Ambr. Am-c. Am-m. Anac. Ant-t. Apis. Arg-m. Arg-n. Arn. Ars. Asaf. Asar.
Aur. Bapt. Bar-c. Bell. Berb. Bor. Bov. Bry. Cact. Calad. Calc. Calc-p. Camph. Cann-s. Canth. Caps. Carb-an.
Carb-v. Caust. Cham. Chel. Chin. Cic. Cimic. Cina. Cocc. Coff. Colch. Coloc. Con. Cycl. Dig. Dros. Dulc.
Euphr. Ferr. Gels. Graph. Hell. Hep. Hyos. Ign. Iod. Ip. Kali-bi. Kali-c. Kali-n. Kreos. Lach. Laur. Led. Lyc.
Mag-c. Mag-m. Mang. Merc. Mez. Mosch. Mur-ac. Nat-c. Nat-m. Nit-ac. Nux-m. Nux-v. Olnd. Op. Petr. Ph-ac. Phos.
Plat. Plb. Puls. Ran-b. Rhod. Rhus-t. Ruta. Sabad. Sep. Sil. Spig. Stann. Staph. Sulph.
""".split()

# The second rubric ("Air, - While in the Open") shares 55 remedies with the
# first. Sorted as the evaluation sorts, the shared ones begin with these.
RUBRIC2_SHARED_FIRST = ["Acon.", "Agar.", "Am-c.", "Ant-t.", "Arg-n.", "Ars.", "Bar-c.", "Bell."]
RUBRIC2_SHARED = 55
RUBRIC2_NEW = 27
RUBRIC2_FIRST_NEW = "Aeth."

# The remedies that stand in very many rubrics, most frequent first.
POLYCHRESTS = """
Sulph. Calc. Lyc. Puls. Nux-v. Ars. Bell. Phos. Sep. Merc. Rhus-t. Sil. Bry. Nat-m. Caust. Graph. Hep. Lach.
Ign. Acon. Carb-v. Cham. Chin. Con. Kali-c. Nit-ac. Staph. Thuj. Hyos. Plat. Verat. Ant-c. Ant-t. Apis. Arn.
Aur. Bar-c. Cocc. Dulc. Ferr. Kreos. Led. Mag-m. Mez. Nat-c. Petr. Ph-ac. Ran-b. Spig. Stann. Stram. Zinc.
Agar. Alum. Am-c. Ambr. Anac. Arg-n. Asaf. Calc-p. Canth. Caps. Carb-an. Cina. Coloc. Dros. Euphr. Gels.
Ip. Kali-bi. Mag-c. Mosch. Mur-ac. Op. Plb. Rhod. Ruta. Sabad. Spong. Sul-ac. Tarax. Valer. Viol-t.
""".split()


def book_key(name):
    """Sort key of the book's remedy order: letters only, then the full text."""
    upper = name.upper()
    return (re.sub("[^A-Z]", "", upper), upper)


def evaluation_key(name):
    """The evaluation's tie order: character codes of the upper-cased text."""
    return name.upper().encode("ascii")


# ---------------------------------------------------------------------------
# Wording. Each chapter has topics (the words headings and rubrics start
# with; "Topic: a; b" gives a topic its own sub-rubrics), parts of the body
# or circumstances ("subs"), sensations, modalities of its own, targets of
# "Extending to", cross-reference pairs and the topics that take a
# sensation in front ("Pressing Pain").
#
# Kind "body" chapters use sides and extensions, "mind" uses mental
# circumstances, "plain" (stool, expectoration, ...) neither.
#
# Cross-reference pairs: (word, target, "See" or "Compare", role) where role
# "h" makes a heading that owns no rubric and "r" a rubric without a
# paragraph number.

TIMES = (
    "Morning|Morning, - On Waking|Morning, - In Bed|Forenoon|Noon|Afternoon|Afternoon, - 3 P.M."
    "|Afternoon, - 4 to 8 P.M.|Evening|Evening, - Twilight|Evening, - In Bed|Night|Night, - Before Midnight"
    "|Midnight|Night, - After Midnight|Night, - 2 A.M.|Night, - 3 A.M.|Daytime|Periodical|Every Other Day"
    "|Every Seventh Day|Same Hour Every Day|Spring|Summer|Winter|Full Moon|New Moon|Sunrise to Sunset"
).split("|")

MODALITIES = (
    "Agg.|Amel.|Motion, - Agg.|Motion, - Amel.|Rest, - Agg.|Rest, - Amel.|Lying, - Agg.|Lying, - Amel."
    "|Lying on Left Side, - Agg.|Lying on Right Side, - Agg.|Lying on Painful Side, - Amel.|Lying on Back, - Amel."
    "|Pressure, - Amel.|Pressure, - Agg.|Touch, - Agg.|Hard Pressure, - Amel.|Warmth, - Amel.|Warm Room, - Agg."
    "|Warm Wraps, - Amel.|Cold, - Agg.|Cold Applications, - Amel.|Uncovering, - Agg.|Eating, - After"
    "|Eating, - Amel.|Drinking, - After|Cold Drinks, - Agg.|Stooping, - Agg.|Walking, - Agg.|Walking, - Amel."
    "|Ascending, - Agg.|Descending, - Agg.|Sitting, - Agg.|Standing, - Agg.|Rising, - On|Rising from Sitting"
    "|Exertion, - After|Stormy Weather, - Agg.|Wet Weather, - Agg.|Dry Cold Weather, - Agg.|Change of Weather"
    "|Sun, - Heat of|Bathing, - After|Washing, - Agg.|Noise, - Agg.|Light, - Agg.|Jar, - Agg."
    "|Riding in a Carriage|Menses, - Before|Menses, - During|Menses, - After|Sleep, - After|Sleep, - During"
    "|Mental Exertion, - Agg.|Coughing, - Agg.|Sneezing, - Agg.|Talking, - Agg.|Bending Backward, - Amel."
    "|Rubbing, - Amel.|Turning in Bed|Beginning to Move|Continued Motion, - Amel.|Perspiration, - Amel."
    "|Emotions, - After|Fasting, - Agg."
).split("|")

SIDES = "Left Side|Right Side|Left to Right|Right to Left|One Side Only|Alternating Sides|Both Sides".split("|")

CONCOMITANTS = (
    "With Nausea|With Vomiting|With Chilliness|With Heat|With Thirst|Without Thirst|With Restlessness"
    "|With Anxiety|With Sweat|With Palpitation|With Faintness|With Weakness|With Trembling|With Numbness"
    "|With Dullness of Senses|With Pale Face|With Red Face|With Cold Feet|With Hot Head|With Sleepiness"
    "|With Frequent Urination|With Diarrhoea|With Constipation"
).split("|")

CAUSES = (
    "From Anger|From Grief|From Fright|From Getting Wet|From Suppressed Eruptions|From Suppressed Sweat"
    "|From Overexertion|From Loss of Sleep|From Loss of Fluids|From Injuries|From Vexation|From Cold Drinks"
    "|From Fat Food|From Wine|From Coffee|From Tobacco|From Sea Bathing|From Draft"
).split("|")

MIND_CAUSES = "From Anger|From Grief|From Fright|From Vexation|From Loss of Sleep|From Wine|From Coffee".split("|")

MIND_CIRCUMSTANCES = (
    "In Company|When Alone|From Consolation, - Agg.|From Contradiction|From Music|From Noise|On Waking"
    "|In Children|In Women|In Old People|Before Menses|During Menses|During Pregnancy|During Heat|During Chill"
    "|After Eating|From Mental Exertion|Alternating with Cheerfulness|Alternating with Sadness"
    "|Alternating with Physical Symptoms|With Weeping|With Restlessness|With Trembling|Causeless|Sudden"
    "|Violent|About Trifles|About the Future|About Business|About Health|From Bad News|From Disappointed Love"
    "|From Mortification|From Reproaches|From Scorn|From Being Spoken To"
).split("|")


def split_list(text):
    return [item.strip() for item in text.split("|") if item.strip()]


# Nouns for the long rubrics that list their modalities ("Agg. from Motion,
# Stooping and Damp Weather").
AGG_CAUSES = split_list("Motion|Touch|Pressure|Cold Air|Warmth|Stooping|Walking|Lying on Left Side|Eating"
                        "|Coughing|Talking|Noise|Light|Jar|Damp Weather|Mental Exertion|Exertion|Cold Drinks"
                        "|Wine|Coffee|Tobacco|Consolation|Company|Music|Sitting|Standing|Ascending")
AMEL_CAUSES = split_list("Rest|Warmth|Pressure|Lying Still|Cold Applications|Rubbing|Eating|Bending Double"
                         "|Hard Pressure|Continued Motion|Sleep|Warm Drinks|Walking Slowly|Sitting Up")


def topics(text):
    """Parses lines "Topic | Topic | ..." or "Topic: sub; sub; ..." into
    (topic, [subs]) pairs, in order."""
    result = []
    for line in text.strip().splitlines():
        line = line.strip()
        if ":" in line:
            name, subs = line.split(":", 1)
            result.append((name.strip(), [s.strip() for s in subs.split(";") if s.strip()]))
        else:
            result += [(name, []) for name in split_list(line)]
    return result


FOODS = (
    "Meat; Milk; Bread; Fat Food; Sweets; Salt; Sour Things; Acids; Coffee; Beer; Wine; Brandy; Cold Drinks; "
    "Warm Food; Eggs; Fruit; Vegetables; Tobacco; Pickles; Ice; Indigestible Things; Chalk; Butter; Cheese; Spices"
)

VOCABULARY = [
    # 0 Generalities
    dict(
        kind="body",
        opening=None,  # chapter I starts with FIRST_HEADING instead
        topics=topics("""
                Abscesses | Alcoholism | Atrophy | Bathing
                Bones: Caries; Softening; Pain; Inflammation of Periosteum; Exostosis
                Cancerous Affections | Catalepsy | Chlorosis | Chorea | Collapse | Coldness
                Congestion of Blood | Convalescence
                Convulsions: Epileptic; Clonic; Tonic; Hysterical; From Fright; During Dentition; With Consciousness; Without Consciousness
                Cramps | Dentition | Dropsy | Emaciation | Eating | Exertion | Fainting
                Food: Cold Food, - Agg.; Warm Food, - Agg.; Fat Food, - Agg.; Milk, - Agg.; Sour Food, - Agg.; Bread, - Agg.
                Formication
                Glands: Swelling; Induration; Inflammation; Suppuration; Pain
                Haemorrhage | Heat, Flushes of | Heaviness | Inflammation
                Injuries: Bruises; Sprains; Fractures; Splinters; Of Nerves; Of Bones
                Jerking | Lassitude | Lying | Motion | Mucous Secretions | Numbness | Obesity | Orgasm of Blood
                Pain
                Paralysis: One-Sided; Painless; Of Single Parts; Agitans; After Apoplexy
                Plethora | Puberty | Pulsation
                Pulse: Rapid; Slow; Intermittent; Irregular; Full; Small; Thready
                Rest | Riding | Sensitiveness | Shocks | Stretching | Sun | Swelling | Tension | Tobacco | Touch
                Trembling | Twitching | Ulceration | Uncovering | Vaccination | Veins | Walking | Warmth
                Weakness: Nervous; Paralytic; From Loss of Fluids; After Diarrhoea; Sudden; Of Joints
                Weariness | Weather | Wet | Wind | Wounds | Yawning | Climacteric Period | Scrofula | Sycosis
            """),
        subs=split_list("External Parts|Internal Parts|Joints|Muscles|Bones|Glands|Mucous Membranes|Nerves"
                        "|Blood Vessels|Single Parts|Whole Body|Limbs|Lower Half of Body|Upper Half of Body"
                        "|Periosteum|Tendons"),
        sens=split_list("Burning|Cutting|Drawing|Pressing|Sore|Bruised|Stitching|Tearing|Throbbing|Gnawing"
                        "|Cramping|Boring|Shooting|Wandering|Paralytic"),
        painlike=["Pain"],
        ext=split_list("Joints|Bones|Limbs|Back|Chest|Head"),
        mods=split_list("From Loss of Fluids|From Overheating|From Suppressed Discharges|After Vaccination"
                        "|From Getting Feet Wet|From Lifting|From Sprains|After Operations|Before a Storm"
                        "|Dark, - Agg.|Cloudy Weather, - Agg.|Seashore, - Agg.|Hungry, - When"
                        "|Lying on Hard Bed, - Amel."),
        pairs=[("Faintness", "Fainting", "See", "h"), ("Spasms", "Convulsions", "See", "h"),
               ("Fits", "Convulsions", "See", "r"), ("Bleeding", "Haemorrhage", "See", "h"),
               ("Languor", "Weakness", "Compare", "h"),
               ("Epilepsy", "Convulsions", "See", "r"), ("Anaemia", "Chlorosis", "Compare", "r"),
               ("Marasmus", "Emaciation", "See", "r"), ("Anasarca", "Dropsy", "See", "r"),
               ("Swooning", "Fainting", "See", "r")],
    ),
    # 1 Mind
    dict(
        kind="mind",
        opening="Mind -- Mental Symptoms -- Delusions -- Fears -- Mistakes -- Weeping -",
        topics=topics("""
                Absent-Minded | Abstraction of Mind
                Anger: Violent; From Contradiction; About Trifles; With Trembling; Easily Angered; Followed by Remorse
                Anguish
                Answers: Abruptly; Slowly; Irrelevantly; Refuses to Answer; In Monosyllables; Incorrectly; Hastily
                Anxiety: About Health; About the Future; Of Conscience; In a Crowd; When Alone; Before Stool; After Eating; In Bed; With Fear
                Aversion to Company | Capriciousness | Censorious | Cheerfulness
                Company: Desire for; Aversion to; Amel. in; Yet Fear of Being Alone
                Concentration Difficult | Confusion of Mind | Consolation | Contradiction | Cowardice
                Delirium: Muttering; Raging; Quiet; Loquacious; With Sleeplessness; Maniacal; Wants to Escape
                Delusions: Sees Faces; Sees Ghosts; Sees Animals; Hears Voices; Body Is Made of Glass; Is Being Pursued; Is Poor; Is Sick; Is Double; Is in a Strange Place; Legs Are Cut Off; Someone Is Behind Him; Head Belongs to Another; Is a Great Person; Is Forsaken; Thieves in the House; Vermin Crawling About
                Desires: To Be Carried; To Travel; Solitude; Things He Rejects When Offered; To Go Home
                Despair: Of Recovery; Of Salvation; Religious; With Pains
                Discontented | Dullness | Ennui | Excitement | Fastidious
                Fear: Of Death; Of Disease; Of Misfortune; Of Robbers; Of Being Alone; Of Dogs; Of Thunderstorms; Of Falling; Of Crowds; Of Darkness; Of Ghosts; Of Insanity; Of Narrow Places; Of Poverty; Of Water; Of Being Touched; Of Approaching Him; Of Evil; Of High Places
                Forgetful | Fright
                Grief: Silent; Ailments from; With Sighing; Long Lasting
                Haughty | Heedless | Homesickness | Hurry | Hysteria
                Ideas: Abundant; Deficient; Fixed; Rush of
                Impatience
                Indifference: To Pleasure; To Relations; To Business; To Everything
                Indolence | Insanity | Irresolution | Irritability | Jealousy | Lamenting
                Laughing: Immoderately; At Serious Matters; Involuntarily; Spasmodic; In Sleep
                Loquacity | Malicious | Mania
                Memory: Weak; Loss of; For Names; For Words; For What Has Just Been Done; For Dates; Active
                Mistakes: In Speaking; In Writing; In Reading; In Calculating; In Spelling; Of Places; Of Time; Using Wrong Words
                Moaning
                Mood: Alternating; Changeable; Repulsive
                Obstinate | Prostration of Mind | Quarrelsome | Rage | Religious Affections | Reproaches
                Restlessness | Sadness
                Sensitive: To Noise; To Music; To Rudeness; To Reprimands; Moral Impressions
                Shrieking | Sighing
                Starting: From Fright; During Sleep; On Falling Asleep; From Noise; When Touched
                Suicidal Disposition | Sulky | Suspicious | Taciturn
                Talking: In Sleep; Of Business; Incoherently; To Himself; Unintelligibly
                Thoughts: Rushing; Vanishing; Persistent; Of Death; Wandering; Tormenting
                Timidity | Tranquillity | Unconsciousness
                Weeping: Involuntarily; When Telling Her Symptoms; When Alone; From Consolation; Without Cause; In Sleep; From Music; When Spoken To
                Weary of Life
                Will: Loss of; Weakness of; Two Wills; Contradiction of
                Wildness
            """),
        subs=[],
        sens=[],
        painlike=[],
        ext=[],
        mods=MIND_CIRCUMSTANCES,
        pairs=[("Illusions", "Delusions", "See", "h"), ("Hallucinations", "Delusions", "See", "r"),
               ("Melancholy", "Sadness", "See", "h"), ("Peevishness", "Irritability", "See", "h"),
               ("Forgetfulness", "Memory", "See", "h"), ("Talkative", "Loquacity", "See", "r"),
               ("Sorrow", "Grief", "See", "r"), ("Crying", "Weeping", "See", "r"),
               ("Stupefaction", "Dullness", "Compare", "r"), ("Apprehension", "Anxiety", "See", "r"),
               ("Morose", "Sulky", "Compare", "r"), ("Hatred", "Malicious", "Compare", "r")],
        specials=["Fussy, - About Trifles", "Fussiness, - Over Order and Neatness", "Fastidious, - Fussy in Dress"],
    ),
    # 2 Head
    dict(
        kind="body",
        opening="Head -- Headache -- Forehead -- Occiput -- Scalp -",
        topics=topics("""
                Pain | Sick Headache | Congestion | Heaviness | Heat | Coldness | Constriction | Fullness
                Hair: Falling Out; Dry; Tangled; Gray Early; Sensitive; Bristling
                Itching of Scalp
                Eruptions: Crusts; Moist; Dry; Scaly; Pimples; Eczema; Behind Ears
                Perspiration of Scalp | Motions of Head | Shaking Sensation | Sensitiveness of Scalp
                Hydrocephalus | Falling of Hair | Dandruff | Enlarged Sensation | Looseness of Brain | Pulsation
                Tension of Scalp | Numbness | Rolling of Head | Boring Head into Pillow | Drawn Backward
                Inflammation of Brain | Emptiness | Lightness | Noises in Head | Waving Sensation
                Electric Shocks
            """),
        subs=split_list("Forehead|Occiput|Vertex|Temples|Sides|Brain|Whole Head|Above Eyes|Behind Ears|Sinciput"
                        "|Base of Brain|Scalp|Eminences of Forehead|Root of Nose|Behind Eyes|Mastoid Region"),
        sens=split_list("Aching|Boring|Burning|Bursting|Cutting|Drawing|Dull|Jerking|Pressing|Pulsating"
                        "|Shooting|Sore|Bruised|Stitching|Stunning|Tearing|Throbbing|Neuralgic|Hammering"
                        "|Constricting|Band-Like|Nail-Like|Splitting|Screwing"),
        painlike=["Pain", "Sick Headache"],
        ext=split_list("Eyes|Nose|Teeth|Neck|Shoulders|Occiput|Forehead|Vertex|Ears|Face|Back|Temples"),
        mods=split_list("Binding Head Tightly, - Amel.|Shaking Head, - Agg.|Combing Hair, - Agg."
                        "|Lying with Head High, - Amel.|Letting Hair Down, - Amel.|Wrapping Head Up, - Amel."
                        "|Looking Up, - Agg.|Moving Eyes, - Agg.|Pressing Head Against Something, - Amel."
                        "|Tight Hat, - Agg.|Straining Eyes, - Agg.|Beginning and Ending with the Sun"
                        "|Increasing and Decreasing Gradually|Coming and Going Suddenly|Vomiting, - Amel."
                        "|Nosebleed, - Amel."),
        pairs=[("Cephalalgia", "Pain", "See", "h"), ("Migraine", "Sick Headache", "See", "r"),
               ("Baldness", "Falling of Hair", "See", "r"), ("Crusta Lactea", "Eruptions", "See", "r"),
               ("Sun-Stroke", "Congestion", "Compare", "r"), ("Meningitis", "Inflammation of Brain", "See", "r")],
    ),
    # 3 Vertigo
    dict(
        kind="plain",
        opening="Vertigo -- Dizziness -",
        topics=topics("""
                Vertigo | Reeling
                Tendency to Fall: Forward; Backward; Sideways; To the Left; To the Right
                Turning in a Circle | Staggering | Swaying | Objects Turn | Intoxicated Feeling
                Swimming Sensation | Whirling | Rocking Sensation | Sinking Sensation
            """),
        subs=split_list("On Rising|On Rising from Bed|On Stooping|On Looking Up|On Looking Down|On Closing Eyes"
                        "|On Turning Head|While Walking|While Sitting|Lying|In Bed|On Ascending|On Descending"
                        "|After Eating|In a Warm Room|While Riding|Crossing Running Water"
                        "|Looking at Moving Objects|High Places|Turning in Bed"),
        sens=[],
        painlike=[],
        ext=[],
        mods=split_list("With Nausea|With Headache|With Dim Vision|With Faintness|With Loss of Consciousness"
                        "|Must Lie Down|Must Hold On to Something|Closing Eyes, - Amel."),
        pairs=[("Dizziness", "Vertigo", "See", "h"), ("Giddiness", "Vertigo", "See", "r"),
               ("Seasickness", "Vertigo", "Compare", "r")],
        specials=["Walking in Open Air, - Amel."],
    ),
    # 4 Face
    dict(
        kind="body",
        opening="Face -- Cheeks -- Lips -- Jaws -- Salivary Glands -",
        topics=topics("""
                Discoloration: Red; Pale; Yellow; Bluish; Earthy; Circumscribed Redness; Red Spots; Alternating Red and Pale
                Eruptions: Acne; Pimples; Vesicles; Crusts; Herpes; Eczema; Comedones; Rash
                Swelling | Pain | Heat | Coldness
                Expression: Anxious; Suffering; Stupid; Wild; Old Looking; Frightened
                Lips: Cracked; Dry; Swollen; Peeling; Bleeding; Blue; Picking
                Cheeks | Chin | Jaws | Submaxillary Glands | Parotid Glands | Corners of Mouth | Freckles
                Twitching | Distortion | Sweat | Flushes | Bloated | Sunken | Sickly | Hippocratic | Lockjaw
                Itching | Numbness | Tension
            """),
        subs=split_list("Cheeks|Lips|Upper Lip|Lower Lip|Chin|Forehead|Jaws|Lower Jaw|Upper Jaw|Around Mouth"
                        "|Around Eyes|Under Eyes|Malar Bones|One Side|Corners of Mouth|Parotid Glands"
                        "|Submaxillary Glands|Temples|Nose"),
        sens=split_list("Burning|Drawing|Tearing|Stitching|Neuralgic|Sore|Cramping|Tingling|Prickling|Pressing"
                        "|Jerking"),
        painlike=["Pain"],
        ext=split_list("Ears|Teeth|Temples|Eyes|Neck|Throat"),
        mods=split_list("Chewing, - Agg.|Cold Wind, - Agg.|Washing in Cold Water, - Amel.|Yawning, - Agg."),
        pairs=[("Prosopalgia", "Pain", "See", "h"), ("Tic Douloureux", "Pain", "See", "h"),
               ("Mumps", "Parotid Glands", "See", "r"), ("Herpes Labialis", "Eruptions", "See", "r"),
               ("Trismus", "Lockjaw", "See", "r")],
    ),
    # 5 Mouth
    dict(
        kind="body",
        opening="Mouth -- Gums -- Palate -- Tongue -- Taste -",
        topics=topics("""
                Taste: Bitter; Sour; Metallic; Salty; Sweetish; Putrid; Insipid; Coppery; Bloody; Flat; Lost; Like Rotten Eggs; Clay-Like
                Coating of Tongue: White; Yellow; Brown; Dirty; Mapped; Furred; Clean; Red Edges; Thick; Slimy; Dry
                Gums | Palate | Tongue
                Breath: Offensive; Cold; Hot; Putrid; Sour; Like Garlic
                Salivation
                Speech: Difficult; Slow; Hasty; Lisping; Nasal; Thick; Wanting
                Dryness | Ulcers | Aphthae | Bleeding | Burning | Cracked Tongue | Swelling | Inflammation
                Mucus | Numbness | Paralysis of Tongue | Stammering | Vesicles | Heat | Soreness
                Protruding Tongue | Indented Tongue | Trembling Tongue | Spongy Gums | Receding Gums
            """),
        subs=split_list("Gums|Palate|Tongue|Tip of Tongue|Edges of Tongue|Root of Tongue|Centre of Tongue"
                        "|Inside of Cheeks|Floor of Mouth|Soft Palate|Upper Gums|Lower Gums"),
        sens=split_list("Burning|Raw|Sore|Smarting|Stitching|Scalding"),
        painlike=[],
        ext=split_list("Throat|Ears|Teeth"),
        mods=split_list("Eating, - While|Hot Drinks, - Agg.|Cold Water, - Amel.|Talking, - Agg."),
        pairs=[("Thrush", "Aphthae", "See", "h"), ("Ptyalism", "Salivation", "See", "h"),
               ("Stomatitis", "Inflammation", "See", "r"), ("Fetor Oris", "Breath", "See", "r"),
               ("Scorbutic Gums", "Bleeding", "Compare", "r")],
    ),
    # 6 Teeth
    dict(
        kind="body",
        opening="Teeth -- Toothache -",
        topics=topics("""
                Toothache | Caries | Looseness | Sensitiveness | Grinding of Teeth
                Dentition: Difficult; Slow; Premature
                Edge Sensation | Elongated Sensation | Tartar | Discoloration | Crumbling | Hollow Teeth
                Bleeding | Fistula Dentalis | Abscess at Roots
            """),
        subs=split_list("Molars|Incisors|Upper Teeth|Lower Teeth|Hollow Teeth|Roots|Sound Teeth|Wisdom Teeth"
                        "|Canine Teeth|Upper Molars|Lower Molars"),
        sens=split_list("Boring|Drawing|Gnawing|Jerking|Pulsating|Stitching|Tearing|Throbbing|Shooting|Digging"
                        "|Grumbling"),
        painlike=["Toothache"],
        ext=split_list("Ears|Temples|Eyes|Face|Head|Jaws"),
        mods=split_list("Cold Water, - Amel.|Warm Drinks, - Agg.|Biting Teeth Together, - Agg.|Chewing, - Agg."
                        "|Cold Water Held in Mouth, - Amel.|Smoking, - Amel.|Touch of Tongue, - Agg."
                        "|Warm Food, - Agg.|Sweets, - Agg."),
        pairs=[("Odontalgia", "Toothache", "See", "h"), ("Teething", "Dentition", "See", "r")],
    ),
    # 7 Eyes
    dict(
        kind="body",
        opening="Eyes -- Canthi -- Lids -- Pupils -",
        topics=topics("""
                Inflammation | Lachrymation | Photophobia | Pain | Itching | Redness | Swelling | Agglutination
                Discharges: Mucous; Purulent; Bloody; Acrid; Bland; Yellow
                Dryness | Heaviness of Lids | Twitching of Lids | Paralysis of Lids
                Pupils: Contracted; Dilated; Insensible to Light; Unequal; Alternately Contracted and Dilated
                Cornea | Iris | Retina | Conjunctiva | Canthi | Lids | Staring | Sunken | Opacity | Styes
                Ulceration | Glaucoma | Cataract | Sand Sensation | Protrusion | Squinting | Fistula Lachrymalis
                Granular Lids | Pterygium | Tumours of Lids | Yellow Sclerotics | Ecchymosis
            """),
        subs=split_list("Canthi|Inner Canthus|Outer Canthus|Lids|Upper Lids|Lower Lids|Margins of Lids|Eyeballs"
                        "|Cornea|Conjunctiva|Iris|Retina|Lachrymal Glands|Above Eyes|Around Eyes|Orbits|Sclera"),
        sens=split_list("Burning|Biting|Smarting|Pressing|Sore|Sticking|Tearing|Aching|Cutting|Gritty|Stitching"),
        painlike=["Pain"],
        ext=split_list("Head|Vertex|Occiput|Temples|Nose|Ears"),
        mods=split_list("Reading, - Agg.|Candlelight, - Agg.|Looking Steadily, - Agg.|Closing Eyes, - Amel."
                        "|Cold Bathing, - Amel.|Wind, - Agg.|Sewing, - Agg.|Fine Work, - Agg.|Bright Light, - Agg."),
        pairs=[("Ophthalmia", "Inflammation", "See", "h"), ("Hordeolum", "Styes", "See", "h"),
               ("Strabismus", "Squinting", "See", "r"), ("Ptosis", "Paralysis of Lids", "See", "r"),
               ("Blepharitis", "Lids", "See", "r"), ("Iritis", "Iris", "See", "r"),
               ("Keratitis", "Cornea", "See", "r")],
    ),
    # 8 Vision
    dict(
        kind="plain",
        opening="Vision -- Sight -",
        topics=topics("""
                Dim | Blindness
                Colors Before Eyes: Black Spots; Blue; Green; Red; Yellow; Fiery; Gray; Rainbow Colors; Halo Around Light; White
                Diplopia | Flickering | Foggy | Hemiopia | Myopia | Presbyopia | Sparks | Weak
                Objects Seem Larger | Objects Seem Smaller | Accommodation Defective | Dazzling | Loss of Vision
                Zigzags | Blurred | Veil Before Eyes | Floating Spots | Acute | Letters Run Together
            """),
        subs=split_list("On Reading|On Writing|By Candlelight|On Looking Steadily|In Bright Light"
                        "|On Exertion of Eyes|At Distance|For Near Objects|After Headache|During Headache"
                        "|With Vertigo"),
        sens=[],
        painlike=[],
        ext=[],
        mods=split_list("Wiping Eyes, - Amel.|Rubbing Eyes, - Amel.|Twilight, - Amel."),
        pairs=[("Amaurosis", "Blindness", "See", "h"), ("Double Vision", "Diplopia", "See", "r"),
               ("Asthenopia", "Weak", "See", "r"), ("Muscae Volitantes", "Floating Spots", "See", "r")],
    ),
    # 9 Ears
    dict(
        kind="body",
        opening="Ears -- Discharges -- Noises -- Hearing -",
        topics=topics("""
                Discharges: Bloody; Offensive; Purulent; Thin; Thick; Yellow; Excoriating; Cheesy; Watery; Brown
                Noises: Ringing; Roaring; Humming; Buzzing; Cracking; Fluttering; Hissing; Singing; Whizzing; Chirping; Reverberating
                Hearing: Impaired; Acute; Lost; Illusions of; Distorted; Difficult for the Human Voice
                Pain | Itching | Inflammation | Eruptions | Heat | Stopped Sensation | Wax | Swelling | Polypus
                Formication | Coldness | Moisture Behind Ears | Redness | Pulsation | Catarrh of Eustachian Tube
            """),
        subs=split_list("Behind Ears|External Ear|Meatus|Middle Ear|Inside|Lobes|Mastoid|Eustachian Tube|Concha"
                        "|In Front of Ears|Below Ears"),
        sens=split_list("Stitching|Tearing|Pulsating|Boring|Aching|Drawing|Pressing|Cramping"),
        painlike=["Pain"],
        ext=split_list("Throat|Teeth|Face|Head|Neck|Jaws"),
        mods=split_list("Blowing Nose, - Agg.|Swallowing, - Agg.|Boring Finger into Ear, - Amel."
                        "|Noise, - Amel. Hearing|Riding in a Carriage, - Amel. Hearing"),
        pairs=[("Otalgia", "Pain", "See", "h"), ("Tinnitus", "Noises", "See", "r"),
               ("Deafness", "Hearing", "See", "r"), ("Otitis", "Inflammation", "See", "r"),
               ("Otorrhoea", "Discharges", "See", "r")],
    ),
    # 10 Nose
    dict(
        kind="body",
        opening="Nose -- Epistaxis -- Coryza -- Smell -",
        topics=topics("""
                Epistaxis: Morning; On Blowing Nose; Dark Blood; Bright Red Blood; In Children; Vicarious
                Coryza: Fluent; Dry; Alternating Fluent and Dry; With Cough; Annual; Chronic
                Sneezing
                Smell: Acute; Diminished; Lost; Imaginary; Of Burnt Things; Of Blood; Offensive; Sensitive to Flowers
                Discharges: Acrid; Bland; Bloody; Thick; Watery; Yellow; Green; Offensive; Tough; Excoriating; Crusty; Purulent
                Obstruction | Dryness | Itching | Redness | Swelling | Crusts | Polypus | Ulceration | Catarrh
                Hay Fever | Snuffles | Sore Nostrils | Picking Nose | Post-Nasal Dropping
                Fan-Like Motion of Alae | Pain | Tingling
            """),
        subs=split_list("Nostrils|Septum|Tip|Root|Wings|Posterior Nares|Bones|Left Nostril|Right Nostril|Inside"),
        sens=split_list("Burning|Pressing|Sore|Stitching|Tearing|Smarting|Tingling"),
        painlike=["Pain"],
        ext=split_list("Forehead|Eyes|Ears|Throat"),
        mods=split_list("Blowing Nose, - Agg.|Warm Room, - Amel.|Cold Wind, - Agg.|Inhaling, - Agg."),
        pairs=[("Nosebleed", "Epistaxis", "See", "h"), ("Ozaena", "Discharges", "See", "h"),
               ("Rhinitis", "Coryza", "See", "r"), ("Anosmia", "Smell", "See", "r"),
               ("Rose Cold", "Hay Fever", "Compare", "r")],
    ),
    # 11 Throat
    dict(
        kind="body",
        opening="Throat -- Esophagus -- Tonsils -- Neck -",
        topics=topics("""
                Pain | Inflammation | Swelling | Dryness | Rawness | Constriction | Lump Sensation | Mucus
                Ulcers | Tonsils | Uvula | Pharynx | Esophagus
                Swallowing: Difficult; Impossible; Painful; Constant Desire for; Liquids Only; Solids Only
                Choking | Hawking | Tickling | Goitre | External Throat | Diphtheria | Quinsy | Membrane
                Redness | Stiffness of Neck | Glands of Neck
            """),
        subs=split_list("Tonsils|Left Tonsil|Right Tonsil|Uvula|Pharynx|Esophagus|Fauces|Pit of Throat"
                        "|External Throat|Glands of Neck|Sides of Neck|Nape"),
        sens=split_list("Burning|Raw|Scraping|Sore|Splinter-Like|Stitching|Smarting|Pressing|Constricting"),
        painlike=["Pain"],
        ext=split_list("Ears|Chest|Stomach|Neck|Jaws"),
        mods=split_list("Swallowing, - Agg.|Empty Swallowing, - Agg.|Warm Drinks, - Amel.|Cold Drinks, - Amel."
                        "|Turning Head, - Agg.|Pressure of Collar, - Agg."),
        pairs=[("Angina", "Inflammation", "See", "h"), ("Sore Throat", "Pain", "See", "h"),
               ("Tonsillitis", "Tonsils", "See", "r"), ("Bronchocele", "Goitre", "See", "r"),
               ("Globus Hystericus", "Lump Sensation", "See", "r")],
    ),
    # 12 Stomach
    dict(
        kind="body",
        opening="Stomach -- Appetite -- Nausea -- Vomiting -",
        topics=topics("""
                Appetite: Increased; Wanting; Ravenous; Capricious; Easy Satiety; Vanishing at Sight of Food; Diminished; Hunger Without Appetite
                Eructations: Bitter; Sour; Empty; Tasting of Food; Rancid; Putrid; Like Rotten Eggs; Loud; Difficult; Amel.
                Hiccough | Nausea
                Thirst: Extreme; Burning; For Small Quantities Often; For Large Quantities; Unquenchable; For Cold Water; Absent
                Vomiting: Bile; Food; Mucus; Blood; Water; Sour; Black; Green; Frothy; Violent
                Aversions: %s
                Desires: %s
                Pain | Distension | Emptiness | Fullness | Heartburn | Heaviness | Indigestion | Pulsation
                Retching | Waterbrash | Flatulence | Sinking Sensation | Coldness | Burning | Cramps
                Loathing of Food | Sensitiveness of Epigastrium | Stone Sensation
            """ % (FOODS, FOODS)),
        subs=split_list("Epigastrium|Pit of Stomach|Cardiac Orifice|Pylorus"),
        sens=split_list("Burning|Cramping|Cutting|Gnawing|Pressing|Sore|Stitching|Griping|Aching"),
        painlike=["Pain"],
        ext=split_list("Back|Chest|Shoulders|Throat|Abdomen"),
        mods=split_list("Eating, - Agg.|Warm Drinks, - Amel.|Eructations, - Amel.|Vomiting, - Amel."
                        "|Tight Clothing, - Agg.|Bending Double, - Amel."),
        pairs=[("Dyspepsia", "Indigestion", "See", "h"), ("Pyrosis", "Heartburn", "See", "h"),
               ("Gastralgia", "Pain", "See", "r"), ("Anorexia", "Appetite", "See", "r"),
               ("Singultus", "Hiccough", "See", "r")],
    ),
    # 13 Abdomen
    dict(
        kind="body",
        opening="Abdomen -- Liver -- Spleen -- Hypochondria -",
        topics=topics("""
                Pain | Distension | Flatulence | Rumbling
                Liver: Enlarged; Induration; Inflammation; Congestion; Sensitive
                Spleen | Pancreas | Hypochondria | Hypogastrium | Inguinal Region | Umbilical Region
                Hernia: Inguinal; Umbilical; Incarcerated; Of Children
                Tension | Heaviness | Induration | Ascites | Enlarged | Sensitiveness | Coldness | Heat
                Pulsation | Jaundice | Retraction | Fermentation | Movements as of Something Alive
                Enlarged Mesenteric Glands | Gall-Stones
            """),
        subs=split_list("Liver|Spleen|Pancreas|Hypochondria|Right Hypochondrium|Left Hypochondrium|Hypogastrium"
                        "|Inguinal Region|Umbilical Region|Sides|Iliac Region|Ileo-Caecal Region|Whole Abdomen"
                        "|Region of Navel|Groins"),
        sens=split_list("Colicky|Cramping|Cutting|Griping|Pinching|Stitching|Sore|Burning|Dragging|Bearing Down"
                        "|Twisting"),
        painlike=["Pain"],
        ext=split_list("Back|Chest|Rectum|Thighs|Genitals|Stomach|Shoulder"),
        mods=split_list("Bending Double, - Amel.|Passing Flatus, - Amel.|Stool, - Before|Stool, - After"
                        "|Stool, - Amel.|Tight Clothing, - Agg.|Jar of Walking, - Agg."),
        pairs=[("Colic", "Pain", "See", "h"), ("Tympanites", "Distension", "See", "h"),
               ("Hepatitis", "Liver", "See", "r"), ("Rupture", "Hernia", "See", "r"),
               ("Icterus", "Jaundice", "See", "r")],
    ),
    # 14 Rectum
    dict(
        kind="body",
        opening="Rectum -- Anus -- Constipation -- Diarrhoea -",
        topics=topics("""
                Constipation: Difficult Stool; Ineffectual Urging; No Desire; Alternating with Diarrhoea; During Pregnancy; Of Infants; From Inactivity of Rectum; Stool Recedes
                Diarrhoea: Painless; Morning, Driving Out of Bed; After Eating; From Fruit; From Cold Drinks; During Dentition; From Fright; From Milk; Summer; Chronic
                Flatus
                Hemorrhoids: Bleeding; Blind; Protruding; Itching; Burning; Large; Internal; External
                Prolapse | Pain | Itching | Fissure | Fistula | Moisture | Urging | Tenesmus | Paralysis
                Bleeding | Worms | Cholera | Dysentery | Involuntary Stool | Anus | Perineum | Excoriation
                Insecure Feeling | Constriction | Fullness | Heat
            """),
        subs=split_list("Anus|Around Anus|Perineum|Rectum|Sphincter"),
        sens=split_list("Burning|Cutting|Stitching|Sore|Smarting|Pressing|Tearing|Splinter-Like|Throbbing"),
        painlike=["Pain"],
        ext=split_list("Back|Bladder|Genitals|Thighs|Urethra"),
        mods=split_list("During Stool|After Stool|Before Stool|Passing Flatus, - Amel."),
        pairs=[("Piles", "Hemorrhoids", "See", "h"), ("Flux", "Diarrhoea", "See", "h"),
               ("Costiveness", "Constipation", "See", "r"), ("Ascarides", "Worms", "See", "r")],
    ),
    # 15 Stool
    dict(
        kind="plain",
        opening="Stool -- Types of Stool -",
        topics=topics("""
                Bloody | Hard | Soft | Thin | Watery | Frothy | Green | Black | Clay-Colored | Knotty | Lumpy
                Mucous | Offensive | Odorless | Scanty | Copious | Slimy | Undigested | Yellow | White | Large
                Small | Balls Like Sheep Dung | Gushing | Pasty | Shreddy | Sour Smelling | Changeable | Dry
                Crumbling | Fatty | Gray | Brown | Hot | Forcible | Jelly-Like | Like Rice Water
                Like Chopped Eggs | Tough | Pale
            """),
        subs=[],
        sens=[],
        painlike=[],
        ext=[],
        mods=split_list("First Part Hard|Then Soft|Then Liquid|In Children|In Old People|After Milk"
                        "|Streaked with Blood|Mixed with Mucus|Sputtering|Expelled with Force"),
        pairs=[("Lienteric", "Undigested", "See", "h"), ("Dysenteric", "Bloody", "Compare", "r"),
               ("Pappy", "Pasty", "See", "r")],
    ),
    # 16 Bladder
    dict(
        kind="body",
        opening="Bladder -- Urination -",
        topics=topics("""
                Urination: Frequent; Dribbling; Interrupted; Involuntary; Painful; Slow; Feeble Stream; Must Wait for Urine to Start; Unsatisfactory; Copious; Scanty; Retarded
                Incontinence | Retention | Urging | Pain | Inflammation | Paralysis | Tenesmus | Neck of Bladder
                Catarrh | Fullness | Weakness | Spasm | Hemorrhage
            """),
        subs=split_list("Neck of Bladder|Region of Bladder|Fundus"),
        sens=split_list("Burning|Cutting|Pressing|Stitching|Sore|Cramping"),
        painlike=["Pain"],
        ext=split_list("Urethra|Kidneys|Rectum|Thighs|Glans"),
        mods=split_list("Urination, - Before|Urination, - During|Urination, - After|Lying Down, - Amel."),
        pairs=[("Cystitis", "Inflammation", "See", "h"), ("Enuresis", "Incontinence", "See", "r"),
               ("Strangury", "Urination", "See", "r")],
    ),
    # 17 Kidneys
    dict(
        kind="body",
        opening="Kidneys -- Ureters -",
        topics=topics("""
                Pain | Region of Kidneys | Ureters | Anuria | Inflammation | Suppression of Urine | Calculi
                Colic | Congestion
            """),
        subs=split_list("Region of Kidneys|Right Kidney|Left Kidney|Ureters"),
        sens=split_list("Aching|Burning|Cutting|Stitching|Sore|Dull"),
        painlike=["Pain"],
        ext=split_list("Bladder|Groins|Thighs|Testes|Urethra"),
        mods=[],
        pairs=[("Nephritis", "Inflammation", "See", "h"), ("Renal Colic", "Colic", "See", "r")],
    ),
    # 18 Prostate gland
    dict(
        kind="body",
        opening="Prostate Gland -",
        topics=topics("""
                Enlargement | Inflammation | Discharge of Prostatic Fluid | Pain | Sensation of a Ball
                Induration | Fullness
            """),
        subs=[],
        sens=split_list("Pressing|Stitching|Burning"),
        painlike=["Pain"],
        ext=split_list("Rectum|Urethra|Thighs"),
        mods=split_list("During Stool|Urination, - During|Sitting, - Agg."),
        pairs=[("Prostatitis", "Inflammation", "See", "h")],
    ),
    # 19 Urethra
    dict(
        kind="body",
        opening="Urethra -- Meatus -",
        topics=topics("""
                Meatus
                Discharges: Bloody; Gleety; Greenish; Milky; Purulent; Thick; Thin; Yellow
                Stricture | Pain | Burning | Itching | Inflammation | Gleet | Gonorrhoea | Swelling | Redness
                Tingling | Crawling | Agglutination of Meatus
            """),
        subs=split_list("Meatus|Fossa Navicularis|Posterior Urethra|Orifice"),
        sens=split_list("Burning|Cutting|Smarting|Stitching|Tearing|Biting|Pressing"),
        painlike=["Pain"],
        ext=split_list("Bladder|Glans|Testes|Anus"),
        mods=split_list("Urination, - During|Urination, - After|Erections, - During|Between Urinations"),
        pairs=[("Urethritis", "Inflammation", "See", "h"), ("Clap", "Gonorrhoea", "See", "r")],
    ),
    # 20 Male genitals
    dict(
        kind="body",
        opening="Male Genitals -- Sexual Passion -",
        topics=topics("""
                Sexual Passion: Increased; Diminished; Wanting; Violent; Without Erections
                Seminal Emissions: Frequent; Without Dreams; With Dreams; Bloody; After Coition; Involuntary
                Erections: Painful; Incomplete; Wanting; Troublesome; Morning; Violent; Continued
                Impotence | Penis | Glans | Prepuce | Scrotum | Testes | Spermatic Cords | Itching | Swelling
                Eruptions | Sweat | Condylomata | Chancre | Hydrocele | Varicocele | Coition | Pain
                Inflammation | Induration | Retraction | Relaxation | Coldness | Atrophy | Excoriation
                Weakness
            """),
        subs=split_list("Penis|Glans|Prepuce|Scrotum|Testes|Left Testis|Right Testis|Spermatic Cords|Perineum"),
        sens=split_list("Aching|Burning|Cutting|Drawing|Pressing|Sore|Stitching|Tearing|Crushing"),
        painlike=["Pain"],
        ext=split_list("Abdomen|Thighs|Back|Groins"),
        mods=split_list("Coition, - After|Coition, - During|Emission, - After"),
        pairs=[("Pollutions", "Seminal Emissions", "See", "h"), ("Sexual Desire", "Sexual Passion", "See", "h"),
               ("Orchitis", "Testes", "See", "r"), ("Priapism", "Erections", "See", "r"),
               ("Balanitis", "Glans", "See", "r")],
    ),
    # 21 Larynx
    dict(
        kind="body",
        opening="Larynx -- Trachea -- Voice -",
        topics=topics("""
                Hoarseness
                Voice: Hoarse; Lost; Weak; Rough; Deep; High; Cracked; Nasal; Changing; Husky; Trembling
                Aphonia | Croup | Laryngitis | Tickling | Rawness | Mucus | Pain | Constriction | Sensitiveness
                Trachea | Dryness | Scraping | Irritation | Spasm of Glottis | Burning | Polypus
            """),
        subs=split_list("Larynx|Trachea|Bronchi|Glottis|Vocal Cords|Pit of Throat"),
        sens=split_list("Burning|Raw|Sore|Stitching|Scraping|Tickling|Pressing"),
        painlike=["Pain"],
        ext=split_list("Ears|Chest|Stomach"),
        mods=split_list("Singing, - Agg.|Using the Voice, - Agg.|Swallowing, - Agg.|Cold Drinks, - Amel."),
        pairs=[("Loss of Voice", "Aphonia", "See", "h"), ("Laryngismus", "Spasm of Glottis", "See", "r"),
               ("Tracheitis", "Trachea", "See", "r")],
    ),
    # 22 Respiration
    dict(
        kind="plain",
        opening="Respiration -- Breathing -",
        topics=topics("""
                Asthma | Difficult | Short | Rattling | Wheezing | Anxious | Deep | Sighing | Arrested
                Accelerated | Slow | Snoring | Suffocative | Oppressed | Panting | Irregular | Abdominal
                Impeded | Cheyne-Stokes | Hot Breath | Cold Breath | Whistling | Loud | Superficial
            """),
        subs=[],
        sens=[],
        painlike=[],
        ext=[],
        mods=split_list("Lying, - Agg.|Must Sit Up|Ascending|Walking Fast|Talking|Sleep, - During"
                        "|On Falling Asleep|After Eating|From Exertion|With Cough|In a Warm Room"
                        "|Bending Forward, - Amel.|Bending Head Backward, - Amel.|Fanning, - Amel."),
        pairs=[("Dyspnoea", "Difficult", "See", "h"), ("Orthopnoea", "Difficult", "See", "r"),
               ("Apnoea", "Arrested", "See", "r"), ("Stertorous", "Snoring", "See", "r")],
        specials=["Difficult, - Amel. in Open Air"],
    ),
    # 23 Cough
    dict(
        kind="plain",
        opening="Cough -",
        topics=topics("""
                Cough | Dry | Loose | Barking | Hacking | Spasmodic | Suffocative | Tickling | Whooping
                Racking | Hollow | Short | Violent | Croupy | Rattling | Teasing | Exhausting | Deep | Constant
                Paroxysmal | Ringing | Rough | Tormenting | Dry Then Loose
            """),
        subs=[],
        sens=[],
        painlike=[],
        ext=[],
        mods=split_list("From Tickling in Larynx|From Talking|From Laughing|From Lying Down"
                        "|On Entering a Warm Room|From Cold Air|From Eating|From Deep Breathing|From Smoking"
                        "|From Reading Aloud|Sitting Up, - Amel.|With Vomiting|With Retching|With Sneezing"
                        "|With Pain in Chest|With Involuntary Urination|With Expectoration|Without Expectoration"),
        pairs=[("Pertussis", "Whooping", "See", "h"), ("Tussis", "Cough", "See", "r")],
        specials=["Cough, - Going into Open Air, - Agg."],
    ),
    # 24 Expectoration
    dict(
        kind="plain",
        opening="Expectoration -",
        topics=topics("""
                Bloody | Difficult | Frothy | Greenish | Yellow | Copious | Scanty | Offensive | Purulent
                Tough | Viscid | Lumpy | Gray | White | Watery
                Taste: Bitter; Salty; Sweetish; Putrid; Sour; Flat; Metallic
                Albuminous | Balls | Blood-Streaked | Rusty | Transparent | Cold | Must Be Swallowed
                Flies from Mouth
            """),
        subs=[],
        sens=[],
        painlike=[],
        ext=[],
        mods=[],
        pairs=[("Sputum", "Expectoration", "See", "h"), ("Haemoptysis", "Bloody", "See", "r")],
    ),
    # 25 Chest
    dict(
        kind="body",
        opening="Chest -- Breasts -- Heart -- Lungs -",
        topics=topics("""
                Pain | Oppression | Constriction
                Palpitation: Violent; Anxious; Tumultuous; Visible; Audible; On Lying on Left Side; From Emotions; With Anxiety
                Heart | Mammae | Nipples | Axillae | Lungs
                Milk: Suppressed; Diminished; Increased; Bad; Thin; Bloody; Flowing Without Nursing
                Anxiety | Congestion | Eruptions | Sweat | Induration | Swelling | Weakness | Heat | Fullness
                Angina Pectoris | Pleurisy | Pneumonia | Phthisis | Hydrothorax | Emptiness | Rattling
                Inflammation | Heaviness | Tension | Pulsation | Trembling of Heart
            """),
        subs=split_list("Sides|Left Side|Right Side|Sternum|Heart|Region of Heart|Mammae|Nipples|Axillae|Upper Part"
                        "|Lower Part|Clavicles|Lungs|Apex of Lungs|Intercostal Muscles|Under Sternum"),
        sens=split_list("Burning|Cutting|Pressing|Sore|Stitching|Sticking|Tearing|Constricting|Drawing|Squeezing"
                        "|Aching"),
        painlike=["Pain"],
        ext=split_list("Back|Arm|Left Arm|Shoulder|Scapula|Throat|Abdomen"),
        mods=split_list("Breathing, - Agg.|Deep Inspiration, - Agg.|Motion of Arms, - Agg.|Nursing the Child"),
        pairs=[("Dropsy of Chest", "Hydrothorax", "See", "h"), ("Mastitis", "Mammae", "See", "h"),
               ("Consumption", "Phthisis", "See", "r"), ("Agalactia", "Milk", "See", "r"),
               ("Carditis", "Heart", "See", "r"), ("Pleuritis", "Pleurisy", "See", "r")],
    ),
    # 26 Back
    dict(
        kind="body",
        opening="Back -- Spine -",
        topics=topics("""
                Pain | Stiffness | Coldness | Heat | Weakness | Curvature of Spine | Spinal Irritation
                Spinal Cord | Formication | Eruptions | Sweat | Tension | Lumbago | Opisthotonos | Spina Bifida
                Sensitiveness | Jerking | Numbness | Abscess of Psoas
            """),
        subs=split_list("Cervical Region|Dorsal Region|Lumbar Region|Sacral Region|Coccyx|Scapulae"
                        "|Between Scapulae|Spine|Region of Kidneys|Nape of Neck|Lumbo-Sacral Region"
                        "|Sacro-Iliac Joints|Under Scapulae"),
        sens=split_list("Aching|Burning|Bruised|Cutting|Drawing|Pressing|Sore|Stitching|Tearing|Paralytic|Broken"
                        "|Dragging"),
        painlike=["Pain"],
        ext=split_list("Abdomen|Chest|Thighs|Legs|Head|Occiput|Shoulders|Arms|Hips"),
        mods=split_list("Rising from a Seat, - Agg.|Lying on Something Hard, - Amel.|Turning in Bed, - Agg."),
        pairs=[("Backache", "Pain", "See", "h"), ("Myelitis", "Spinal Cord", "See", "h"),
               ("Coccygodynia", "Pain", "See", "r"), ("Torticollis", "Stiffness", "See", "r")],
    ),
    # 27 Extremities
    dict(
        kind="body",
        opening="Extremities -- Upper and Lower Limbs -",
        topics=topics("""
                Pain | Rheumatism | Sciatica | Gout | Coldness | Cramps | Numbness | Paralysis | Swelling
                Stiffness | Trembling | Weakness | Heaviness | Jerking | Restlessness | Sweat | Eruptions
                Ulcers | Chilblains | Felon
                Nails: Brittle; Thick; Discolored; Ingrowing; Crippled; Splitting
                Varicose Veins | Awkwardness | Contraction of Tendons | Cracked Skin | Hip-Joint Disease
                Ganglion | Dropsy | Lameness | Tingling | Exostosis
            """),
        subs=split_list("Upper Limbs|Lower Limbs|Shoulder|Upper Arm|Elbow|Forearm|Wrist|Hand|Palm|Back of Hand"
                        "|Fingers|Thumb|Finger Joints|Finger Nails|Hip|Thigh|Knee|Hollow of Knee|Leg|Calf|Tibia"
                        "|Ankle|Foot|Sole|Heel|Toes|Great Toe|Joints"),
        sens=split_list("Aching|Burning|Cramping|Drawing|Paralytic|Shooting|Sore|Bruised|Stitching|Tearing"
                        "|Wandering|Gnawing|Boring"),
        painlike=["Pain"],
        ext=split_list("Fingers|Toes|Hand|Foot|Shoulder|Hip|Knee|Heel|Back"),
        mods=split_list("Letting Limb Hang Down, - Agg.|Raising Arm, - Agg.|Grasping, - Agg.|Writing, - Agg."
                        "|Crossing Legs, - Agg.|Stepping, - Agg.|Warm Bed, - Agg."),
        pairs=[("Podagra", "Gout", "See", "h"), ("Arthritis", "Rheumatism", "See", "h"),
               ("Whitlow", "Felon", "See", "r"), ("Ischias", "Sciatica", "See", "r"),
               ("Panaritium", "Felon", "See", "r"), ("Onychia", "Nails", "See", "r"),
               ("Housemaid's Knee", "Swelling", "See", "r"), ("Writer's Cramp", "Cramps", "See", "r")],
    ),
    # 28 Chills
    dict(
        kind="body",
        opening="Chills -- Chilliness -",
        topics=topics("""
                Chill | Chilliness | Coldness | Shaking | Shivering | Creeping | Internal Chill | External Chill
                One-Sided Chill | Congestive Chill
                Intermittent: Quotidian; Tertian; Quartan; Irregular; Anticipating; Postponing
                Partial | Beginning In | Alternating with Heat | Thirst During Chill | Chill with Heat
            """),
        subs=split_list("Back|Between Scapulae|Hands|Feet|Fingers|Chest|Thighs|Abdomen|Lumbar Region|Single Parts"
                        "|Arms|Face"),
        sens=[],
        painlike=[],
        ext=split_list("Back|Feet|Hands|Head|Chest"),
        mods=split_list("Warm Room, - Amel.|Stove, - Amel.|Warmth Does Not Amel.|Drinking, - Agg."),
        pairs=[("Ague", "Intermittent", "See", "h"), ("Rigor", "Shaking", "See", "h"),
               ("Coldness of Body", "Chilliness", "Compare", "r")],
    ),
    # 29 Fever
    dict(
        kind="plain",
        opening="Fever -- Heat -",
        topics=topics("""
                Heat | Dry Heat | Burning Heat | Flushes of Heat | Internal Heat | External Heat
                Intermittent Fever | Remittent Fever | Typhoid Fever | Continued Fever | Hectic Fever
                Bilious Fever | Catarrhal Fever | Septic Fever | Succession of Stages | Heat Without Thirst
                Zymotic Fever | Puerperal Fever | Yellow Fever | Scarlet Fever | Shivering with Heat
                Heat with Sweat | Partial Heat
            """),
        subs=[],
        sens=[],
        painlike=[],
        ext=[],
        mods=split_list("Uncovering, - Amel.|With Delirium|With Stupor|Without Sweat|With Thirst"),
        pairs=[("Pyrexia", "Heat", "See", "h"), ("Enteric Fever", "Typhoid Fever", "See", "h"),
               ("Ague Cake", "Intermittent Fever", "Compare", "r"), ("Nervous Fever", "Typhoid Fever", "See", "r")],
    ),
    # 30 Perspiration
    dict(
        kind="body",
        opening="Perspiration -- Sweat -",
        topics=topics("""
                Perspiration | Cold | Clammy | Copious | Scanty | Suppressed | Offensive | Sour
                Staining the Linen: Yellow; Red; Brown; Difficult to Wash Out
                Partial | One-Sided | Profuse | Night Sweats
                Odor: Sour; Offensive; Musty; Garlic-Like; Honey-Like; Urinous; Putrid; Like Rhubarb
                Absent | Hot | Sticky | Oily | Bloody | Debilitating | Easy | On Single Parts
            """),
        subs=split_list("Head|Face|Forehead|Axillae|Chest|Back|Hands|Palms|Feet|Soles|Genitals|Covered Parts"
                        "|Uncovered Parts|Upper Part of Body|Lower Part of Body"),
        sens=[],
        painlike=[],
        ext=[],
        mods=split_list("Least Exertion, - From|Eating, - While|Amel. of All Symptoms|Agg. of All Symptoms"
                        "|Mental Exertion, - From"),
        pairs=[("Sweat", "Perspiration", "See", "h"), ("Hyperhidrosis", "Profuse", "See", "h"),
               ("Sudamina", "Partial", "Compare", "r")],
    ),
    # 31 Skin
    dict(
        kind="body",
        opening="Skin -- Eruptions -- Ulcers -",
        topics=topics("""
                Eruptions: Bleeding; Burning; Crusty; Dry; Moist; Painful; Scaly; Suppurating; Itching; Spreading; Pustular; Vesicular; Papular; Miliary; Red; Copper-Colored; Herpetic; Eczematous; Rough
                Ulcers: Bleeding; Burning; Indolent; Phagedenic; Fistulous; Deep; Flat; Fetid; Painful; Spreading; Varicose; Sensitive; Bluish Edges; Proud Flesh
                Warts: Flat; Fleshy; Horny; Pedunculated; Jagged; Large; Small; Seedy; Smooth; Painful; Bleeding
                Itching | Burning | Dryness | Discoloration | Excoriation | Cracks | Blisters | Boils
                Carbuncles | Eczema | Herpes | Urticaria | Psoriasis | Erysipelas | Pustules | Vesicles
                Pimples | Nodes | Sensitiveness | Jaundice | Freckles | Cicatrices | Decubitus | Gangrene
                Scabies | Intertrigo | Liver Spots | Petechiae | Pemphigus | Lupus | Rupia | Measles
                Scarlatina | Smallpox | Chickenpox | Formication | Coldness | Induration | Unhealthy Skin
                Wounds
            """),
        subs=split_list("Folds of Skin|Flexures of Joints|Hairy Parts|Covered Parts|Uncovered Parts|Old Scars"),
        sens=[],
        painlike=[],
        ext=[],
        mods=split_list("Scratching, - Agg.|Scratching, - Amel.|Warmth of Bed, - Agg.|Undressing, - Agg."
                        "|After Suppression|Becoming Warm, - Agg."),
        pairs=[("Hives", "Urticaria", "See", "h"), ("Nettle-Rash", "Urticaria", "See", "h"),
               ("Tetters", "Herpes", "See", "r"), ("Shingles", "Herpes", "See", "r"),
               ("Furuncle", "Boils", "See", "r"), ("Condylomata", "Warts", "See", "r"),
               ("Bedsores", "Decubitus", "See", "r"), ("Itch", "Scabies", "See", "r")],
    ),
]

# Texts fixed by the example rows of the first chapter.
FIRST_HEADING = "Generalities -- Time, Air"
FIRST_RUBRICS = [("Afternoon, - In", 4), ("Air, - While in the Open", 16), ("Air, - From Draft of", 14)]

# The longest heading and rubric texts of the whole book (chapter XXX).
LONGEST_HEADING = ("Pain -- Upper Limbs -- Shoulders -- Upper Arms -- Elbows -- Forearms -- Wrists -- Hands -- "
                   "Fingers -- Lower Limbs -- Hips -- Thighs -- Knees -- Shins -- Ankles -- Toes -")
LONGEST_RUBRIC_BODY = ("Pain, - Lower Limbs, - Sciatic Nerve, - Extending from Hip Down Back of Thigh to Knee "
                       "and Ankle, - Agg. from Motion, Sitting, Stooping and Damp Weather, - Amel. by Lying on "
                       "Painful Side")
LONGEST_CHAPTER = 27

# Headings and rubrics of chapters I to VII longer than 127 characters.
LONG_HEADINGS_EARLY = {0: 3, 1: 2, 2: 2, 4: 1, 5: 1}  # 9 in all
LONG_RUBRICS_EARLY = {0: 3, 1: 1, 2: 2, 5: 1, 6: 1}  # 8 in all
# A few long texts in the later chapters too (all shorter than the longest).
LONG_HEADINGS_LATE = {7: 1, 13: 1, 25: 1, 27: 2, 31: 1}
LONG_RUBRICS_LATE = {7: 1, 11: 1, 12: 1, 20: 1, 25: 2, 26: 1, 27: 2, 31: 1}

NORMAL_MAX = 118  # longest ordinary text body; " {0000}" keeps it below 128

# Remedy counts of some early rubrics (by index): the example rows 1 to 3,
# and rubric 5 with 12 remedies, used by an example case of the result view.
FIXED_COUNTS = {0: 101, 1: 82, 2: 45, 4: 12}


# ---------------------------------------------------------------------------
# Layout: which headings own no rubric, which own one rubric of their own
# text, and how many rubrics the others own.


class Heading:
    def __init__(self, chapter, kind, size):
        self.chapter = chapter
        self.kind = kind  # "open", "xref", "single", "group"
        self.size = size
        self.text = ""
        self.pair = None  # cross-reference pair of an "xref" heading
        self.role = None  # "first", "longest", "long", special text, cross-reference pair
        self.first_rubric = 0


class Rubric:
    def __init__(self, chapter, heading):
        self.chapter = chapter
        self.heading = heading
        self.body = ""
        self.mark = "number"  # "number", "none" or "unknown"
        self.paragraph = None
        self.long = False
        self.xref = False
        self.detail = 2  # how specific the text is: 1 plain topic, 4 topic and three qualifiers
        self.count = 0
        self.remedies = []

    def text(self):
        if self.mark == "number":
            return "%s {%04d}" % (self.body, self.paragraph)
        if self.mark == "unknown":
            return self.body + " {????}"
        return self.body


def chapter_sizes():
    headings, rubrics = [], []
    prev_h = prev_r = 0
    for _, heading_end, last_rubric in CHAPTERS:
        headings.append(heading_end - prev_h)
        rubrics.append(last_rubric - prev_r)
        prev_h, prev_r = heading_end, last_rubric
    return headings, rubrics


def xref_pairs(chapter, role):
    return [p for p in VOCABULARY[chapter]["pairs"] if p[3] == role]


def partition(rng, total, parts, minimum):
    """Splits total into parts of at least minimum, skewed: a few large ones."""
    extra = total - minimum * parts
    assert extra >= 0
    weights = [(1 + rng.below(12)) ** 2 for _ in range(parts)]
    whole = sum(weights)
    sizes = [minimum + extra * w // whole for w in weights]
    start = rng.below(parts)
    for i in range(total - sum(sizes)):
        sizes[(start + i) % parts] += 1
    return sizes


def singleton_counts(nonempty, rubric_counts, fixed):
    """Spreads the headings that own one rubric of their own text over the chapters."""
    total_nonempty = sum(nonempty)
    lower, upper, counts = [], [], []
    for c in range(len(CHAPTERS)):
        lo = max(fixed[c], 2 * nonempty[c] - rubric_counts[c])
        hi = nonempty[c] - 1
        lower.append(lo)
        upper.append(hi)
        counts.append(min(hi, max(lo, nonempty[c] * SELF_NAMED_HEADINGS // total_nonempty)))
    diff = SELF_NAMED_HEADINGS - sum(counts)
    c = 0
    while diff != 0:
        if diff > 0 and counts[c] < upper[c]:
            counts[c] += 1
            diff -= 1
        elif diff < 0 and counts[c] > lower[c]:
            counts[c] -= 1
            diff += 1
        c = (c + 1) % len(CHAPTERS)
    return counts


def plan_layout():
    """Decides, chapter by chapter, the kind and size of every heading and
    where the cross-references, the special texts and the long texts go."""
    rng = SplitMix64(SEED_LAYOUT)
    heading_counts, rubric_counts = chapter_sizes()
    xref_heads = [xref_pairs(c, "h") for c in range(len(CHAPTERS))]
    xref_rubs = [xref_pairs(c, "r") for c in range(len(CHAPTERS))]
    specials = [VOCABULARY[c].get("specials", []) for c in range(len(CHAPTERS))]
    # Every chapter but the first opens with a title heading that owns no
    # rubric; the first opens with the heading of the example rubrics.
    openings = [0] + [1] * (len(CHAPTERS) - 1)
    assert sum(openings) + sum(len(x) for x in xref_heads) == EMPTY_HEADINGS

    nonempty = [heading_counts[c] - openings[c] - len(xref_heads[c]) for c in range(len(CHAPTERS))]
    fixed = [len(xref_rubs[c]) + len(specials[c]) for c in range(len(CHAPTERS))]
    singles = singleton_counts(nonempty, rubric_counts, fixed)

    headings, rubrics = [], []
    for c in range(len(CHAPTERS)):
        groups = nonempty[c] - singles[c]
        n_single, n_group = singles[c], groups
        group_rubrics = rubric_counts[c] - singles[c]
        if c == 0:
            first = Heading(c, "group", len(FIRST_RUBRICS))
            first.role = "first"
            prefix = [first]
            n_group -= 1
            group_rubrics -= len(FIRST_RUBRICS)
        else:
            prefix = [Heading(c, "open", 0)]
        rest = [Heading(c, "xref", 0) for _ in xref_heads[c]]
        rest += [Heading(c, "single", 1) for _ in range(n_single)]
        sizes = partition(rng, group_rubrics, n_group, 2)
        rest += [Heading(c, "group", size) for size in sizes]
        rng.shuffle(rest)
        chapter_headings = prefix + rest

        for heading, pair in zip([h for h in chapter_headings if h.kind == "xref"], xref_heads[c]):
            heading.pair = pair
        free_singles = [h for h in chapter_headings if h.kind == "single" and h.role is None]
        chosen = rng.sample(free_singles, len(specials[c]) + len(xref_rubs[c]))
        for heading, role in zip(chosen, specials[c] + xref_rubs[c]):
            heading.role = role

        free_groups = [h for h in chapter_headings if h.kind == "group" and h.role is None]
        n_long = LONG_HEADINGS_EARLY.get(c, 0) + LONG_HEADINGS_LATE.get(c, 0)
        if c == LONGEST_CHAPTER:
            n_long += 1
        chosen = rng.sample(free_groups, n_long)
        for i, heading in enumerate(chosen):
            heading.role = "longest" if (c == LONGEST_CHAPTER and i == 0) else "long"

        for heading in chapter_headings:
            heading.first_rubric = len(rubrics)
            for _ in range(heading.size):
                rubrics.append(Rubric(c, len(headings)))
            headings.append(heading)
        assert len(headings) == CHAPTERS[c][1] and len(rubrics) == CHAPTERS[c][2]

    # Long rubric texts sit in headings with several rubrics, so that no
    # heading text grows with them.
    for c in range(len(CHAPTERS)):
        n_long = LONG_RUBRICS_EARLY.get(c, 0) + LONG_RUBRICS_LATE.get(c, 0)
        candidates = [r for r in rubrics if r.chapter == c and headings[r.heading].kind == "group"
                      and headings[r.heading].role in (None, "long")]
        for rubric in rng.sample(candidates, n_long):
            rubric.long = True

    # Cross-references that stand alone carry no paragraph number.
    for rubric in rubrics:
        if isinstance(headings[rubric.heading].role, tuple):
            rubric.mark = "none"
            rubric.xref = True
    return headings, rubrics


def sort_chapters(headings, rubrics):
    """Puts the headings of each chapter, and the rubrics of each heading, in
    alphabetical order as the book has them. The first heading of a chapter
    (its title, or in chapter I the heading of the example rows) stays first."""

    def key(text):
        return (text.upper(), text)

    new_headings, new_rubrics = [], []
    for c in range(len(CHAPTERS)):
        own = [h for h in headings if h.chapter == c]
        rest = own[1:]
        rest.sort(key=lambda h: key(h.text or rubrics[h.first_rubric].body))
        for heading in own[:1] + rest:
            block = rubrics[heading.first_rubric:heading.first_rubric + heading.size]
            if heading.role != "first":
                block.sort(key=lambda r: key(r.body))
            heading.first_rubric = len(new_rubrics)
            for rubric in block:
                rubric.heading = len(new_headings)
                new_rubrics.append(rubric)
            new_headings.append(heading)
        assert len(new_headings) == CHAPTERS[c][1] and len(new_rubrics) == CHAPTERS[c][2]
    return new_headings, new_rubrics


def mark_unnumbered(headings, rubrics):
    """Plain rubrics inside larger headings that carry no paragraph number,
    and the one rubric whose number the book left as "{????}"."""
    rng = SplitMix64(SEED_MARKS)
    plain_none = UNNUMBERED_RUBRICS - sum(1 for r in rubrics if r.mark == "none")
    candidates = [r for i, r in enumerate(rubrics) if i >= 10 and not r.long
                  and headings[r.heading].kind == "group" and headings[r.heading].role != "longest"]
    chosen = rng.sample(candidates, plain_none + 1)
    for rubric in chosen[:-1]:
        rubric.mark = "none"
    chosen[-1].mark = "unknown"


# ---------------------------------------------------------------------------
# Texts.


class Wording:
    """Makes the texts of one chapter from its vocabulary, never the same
    rubric text twice in the chapter."""

    def __init__(self, rng, chapter):
        self.rng = rng
        self.chapter = chapter
        self.voc = VOCABULARY[chapter]
        self.topics = self.voc["topics"]
        self.deck = []
        self.used_headings = set()
        self.used_bodies = set()
        self.detail = 1  # number of parts of the text last made
        self.qual_tables = self.make_qual_tables()

    def make_qual_tables(self):
        """Qualifier families with their weight and their place in a rubric
        text: side, sensation, time, extension, cause, modality, concomitant."""
        v = self.voc
        ext = ["Extending to " + e for e in v["ext"]]
        if v["kind"] == "mind":
            table = [(TIMES, 20, 2), (v["mods"], 50, 5), (MIND_CAUSES, 10, 4)]
        elif v["kind"] == "plain":
            table = [(TIMES, 30, 2), (v["mods"], 50, 5), (MODALITIES, 10, 5), (CONCOMITANTS, 10, 6)]
        else:
            table = [(SIDES, 9, 0), (v["sens"], 8, 1), (TIMES, 18, 2), (ext, 10, 3), (CAUSES, 6, 4),
                     (MODALITIES, 28, 5), (v["mods"], 20, 5), (CONCOMITANTS, 9, 6)]
        return [entry for entry in table if entry[0]]

    def qualifiers(self, wanted, skip_sensation=False):
        """Up to `wanted` qualifiers of different families, in reading order."""
        tables = [t for t in self.qual_tables if not (skip_sensation and t[0] is self.voc["sens"])]
        picked = []
        for _ in range(wanted):
            total = sum(weight for _, weight, _ in tables)
            r = self.rng.below(total)
            for entry in tables:
                if r < entry[1]:
                    break
                r -= entry[1]
            picked.append((entry[2], self.rng.choice(entry[0])))
            tables = [t for t in tables if t[2] != entry[2]]
            if not tables:
                break
        picked.sort(key=lambda p: p[0])
        return [text for _, text in picked]

    def next_topic(self):
        if not self.deck:
            self.deck = list(self.topics)
            self.rng.shuffle(self.deck)
        return self.deck.pop()

    def group_heading(self):
        """A heading for several rubrics: a topic, or a topic and a part."""
        for _ in range(1000):
            topic, own = self.next_topic()
            if topic not in self.used_headings:
                self.used_headings.add(topic)
                return topic, topic, own, None
            options = own or self.voc["subs"] or self.voc["sens"] or self.voc["mods"] or TIMES
            part = self.rng.choice(options)
            text = "%s -- %s" % (topic, part)
            if text not in self.used_headings:
                self.used_headings.add(text)
                return text, topic, [], part
        raise AssertionError("no heading left in chapter %d" % self.chapter)

    def long_heading(self, lo, hi):
        """A heading that lists many parts, like the chapter-opening titles."""
        for _ in range(1000):
            topic, own = self.rng.choice(self.topics)
            pool = own if len(own) >= 8 else (self.voc["subs"] or self.voc["sens"])
            if len(pool) < 8:
                continue
            items = self.rng.sample(pool, len(pool))
            text = topic
            for item in items:
                text += " -- " + item
                if len(text) + 2 >= lo:
                    break
            text += " -"
            if lo <= len(text) <= hi and text not in self.used_headings:
                self.used_headings.add(text)
                return text, topic, own
        raise AssertionError("no long heading in chapter %d" % self.chapter)

    def body(self, topic, own, part, bare_ok):
        rng, v = self.rng, self.voc
        head = topic
        prefixed = topic in v["painlike"] and v["sens"] and rng.chance(40)
        if prefixed:
            head = "%s %s" % (rng.choice(v["sens"]), topic)
        parts = [head]
        if part:
            parts.append(part)
        elif own and rng.chance(75):
            parts.append(rng.choice(own))
        elif v["subs"] and topic not in v["subs"] and rng.chance(35):
            parts.append(rng.choice(v["subs"]))
        r = rng.below(100)
        if len(parts) > 1:
            wanted = 0 if r < 25 else (1 if r < 85 else 2)
        else:
            wanted = 0 if (r < 10 and bare_ok) else (1 if r < 75 else 2)
        parts += [q for q in self.qualifiers(wanted, prefixed) if q not in parts and not q.startswith(topic)]
        self.detail = len(parts)
        return ", - ".join(parts)

    def unique_body(self, topic, own, part, bare_ok=True):
        for _ in range(400):
            text = self.body(topic, own, part, bare_ok)
            if len(text) <= NORMAL_MAX and text not in self.used_bodies:
                self.used_bodies.add(text)
                return text
        raise AssertionError("no text left for %r in chapter %d" % (topic, self.chapter))

    def single_body(self):
        for _ in range(100):
            topic, own = self.rng.choice(self.topics)
            text = self.body(topic, own, None, True)
            if len(text) <= NORMAL_MAX and text not in self.used_bodies and text not in self.used_headings:
                self.used_bodies.add(text)
                return text
        raise AssertionError("no single rubric left in chapter %d" % self.chapter)

    def long_body(self, topic, own, part, lo, hi):
        """A rubric that spells out its extensions and modalities in lists."""
        rng, v = self.rng, self.voc
        for _ in range(1000):
            head = topic
            if v["sens"] and topic in v["painlike"]:
                head = "%s %s" % (rng.choice(v["sens"]), topic)
            where = part or rng.choice(own or v["subs"] or v["mods"] or TIMES)
            parts = [head, where]
            targets = [e for e in v["ext"] if e != where]
            if targets and rng.chance(70):
                parts.append("Extending to " + and_list(rng.sample(targets, rng.between(2, 3))))
            if rng.chance(60):
                parts.append(rng.choice(TIMES))
            worse = rng.sample(AGG_CAUSES, rng.between(2, 5))
            parts.append("Agg. from " + and_list(worse))
            if rng.chance(70):
                better = [c for c in AMEL_CAUSES if c not in worse]
                parts.append("Amel. by " + and_list(rng.sample(better, rng.between(1, 3))))
            text = ", - ".join(parts)
            if lo <= len(text) <= hi and text not in self.used_bodies:
                self.used_bodies.add(text)
                return text
        raise AssertionError("no long rubric in chapter %d" % self.chapter)


def and_list(items):
    return items[0] if len(items) == 1 else "%s and %s" % (", ".join(items[:-1]), items[-1])


def write_texts(headings, rubrics):
    """Words every heading and rubric; paragraph numbers come later."""
    rng = SplitMix64(SEED_TEXT)
    suffix = len(" {0000}")
    for c in range(len(CHAPTERS)):
        words = Wording(rng, c)
        for heading in headings:
            if heading.chapter != c:
                continue
            own_rubrics = rubrics[heading.first_rubric:heading.first_rubric + heading.size]
            if heading.kind == "open":
                heading.text = words.voc["opening"]
            elif heading.kind == "xref":
                word, target, verb, _ = heading.pair
                heading.text = "%s -- %s %s" % (word, verb, target)
            elif heading.kind == "single":
                rubric = own_rubrics[0]
                if isinstance(heading.role, str):
                    rubric.body = heading.role
                elif isinstance(heading.role, tuple):
                    word, target, verb, _ = heading.role
                    if verb == "See":
                        rubric.body = "%s, - See %s" % (word, target)
                    else:
                        rubric.body = "%s -- Compare %s" % (word, target)
                else:
                    rubric.body = words.single_body()
                    rubric.detail = words.detail
                words.used_bodies.add(rubric.body)
            elif heading.role == "first":
                heading.text = FIRST_HEADING
                for rubric, (body, _) in zip(own_rubrics, FIRST_RUBRICS):
                    rubric.body = body
            else:
                if heading.role == "longest":
                    heading.text, topic, own, part = LONGEST_HEADING, "Pain", [], None
                elif heading.role == "long":
                    heading.text, topic, own = words.long_heading(128, 160)
                    part = None
                else:
                    heading.text, topic, own, part = words.group_heading()
                for i, rubric in enumerate(own_rubrics):
                    if heading.role == "longest" and i == 0:
                        rubric.body = LONGEST_RUBRIC_BODY
                        rubric.long = True
                    elif rubric.long:
                        rubric.body = words.long_body(topic, own, part, 128 - suffix, 175)
                    else:
                        rubric.body = words.unique_body(topic, own, part, bare_ok=(i == 0))
                        rubric.detail = words.detail
    for rubric in rubrics:
        assert rubric.body, "rubric without text"


# ---------------------------------------------------------------------------
# Paragraph numbers: the book's own numbering, mostly rising through the
# book, shared by neighbouring rubrics of one heading now and then.


def write_paragraphs(headings, rubrics):
    rng = SplitMix64(SEED_NUMBERS)
    numbered = [i for i, r in enumerate(rubrics) if r.mark == "number"]
    assert len(numbered) == NUMBERED_RUBRICS
    # The examples fix the first three; the next numbered rubric has {0001}.
    fixed = {i: paragraph for i, (_, paragraph) in enumerate(FIRST_RUBRICS)}
    fixed[numbered[3]] = 1
    assert numbered[:3] == [0, 1, 2]
    for i, value in fixed.items():
        rubrics[i].paragraph = value

    slots = numbered[len(fixed):]
    distinct = DISTINCT_PARAGRAPHS - len(set(fixed.values()))
    first_free = max(fixed.values()) + 1
    candidates = list(range(first_free, LAST_PARAGRAPH))
    dropped = set(rng.sample(candidates, len(candidates) - (distinct - 1)))
    values = [v for v in candidates if v not in dropped] + [LAST_PARAGRAPH]
    assert len(values) == distinct

    repeats_needed = len(slots) - distinct
    same_heading = [j for j in range(1, len(slots))
                    if rubrics[slots[j]].heading == rubrics[slots[j - 1]].heading]
    repeats = set(rng.sample(same_heading, repeats_needed))
    v = 0
    rubrics[slots[0]].paragraph = values[0]
    for j in range(1, len(slots)):
        if j not in repeats:
            v += 1
        rubrics[slots[j]].paragraph = values[v]
    assert v == distinct - 1

    # A little disorder, as in the printed book: neighbours swapped.
    swappable = [j for j in same_heading if j not in repeats and j + 1 < len(slots)]
    for j in sorted(rng.sample(swappable, len(swappable) // 40)):
        a, b = rubrics[slots[j - 1]], rubrics[slots[j]]
        a.paragraph, b.paragraph = b.paragraph, a.paragraph

    for heading in headings:
        if heading.kind == "single":
            heading.text = rubrics[heading.first_rubric].text()


# ---------------------------------------------------------------------------
# Entry counts: many small rubrics, a long tail of large ones.


def write_counts(headings, rubrics):
    rng = SplitMix64(SEED_COUNTS)
    cap = MAX_ENTRIES - 1
    # A plain topic lists more remedies than one narrowed by qualifiers.
    tables = {}
    for detail, spread in ((1, 18), (2, 13), (3, 9), (4, 7)):
        cumulative = []
        running = 0
        for k in range(1, cap + 1):
            running += (10 ** 18 * k) // ((k + spread) ** 4)
            cumulative.append(running)
        tables[detail] = cumulative

    fixed = dict(FIXED_COUNTS)
    biggest = rng.choice([i for i, r in enumerate(rubrics) if r.chapter == 0 and i >= 10
                          and headings[r.heading].kind == "group"])
    fixed[biggest] = MAX_ENTRIES
    last = len(rubrics) - 1
    for i, rubric in enumerate(rubrics):
        if i in fixed:
            rubric.count = fixed[i]
        elif rubric.xref:
            rubric.count = rng.between(1, 3)
        else:
            cumulative = tables[min(4, rubric.detail)]
            rubric.count = bisect_right(cumulative, rng.below(cumulative[-1])) + 1
    if rubrics[last].count < 9:
        rubrics[last].count = rng.between(9, 20)

    adjustable = [i for i, r in enumerate(rubrics) if i not in fixed and not r.xref and i != last]
    diff = ENTRY_TOTAL - sum(r.count for r in rubrics)
    if "--stats" in sys.argv:
        print("entry count correction:", diff)
    while diff != 0:
        rubric = rubrics[rng.choice(adjustable)]
        if diff > 0 and 2 <= rubric.count < cap:
            rubric.count += 1
            diff -= 1
        elif diff < 0 and rubric.count >= 3:
            rubric.count -= 1
            diff += 1
    present = {r.count for r in rubrics}
    assert 30 in present and 31 in present and max(present) == MAX_ENTRIES


# ---------------------------------------------------------------------------
# Remedies: a few polychrests in very many rubrics, most remedies in few.


class Sampler:
    """Weighted choice without replacement over a fixed list of names."""

    def __init__(self, rng, names, weights):
        self.rng = rng
        self.names = names
        self.weights = weights
        self.cumulative = []
        running = 0
        for w in weights:
            running += w
            self.cumulative.append(running)
        self.total = running

    def draw(self, k, exclude=()):
        chosen = []
        taken = set(exclude)
        misses = 0
        while len(chosen) < k and misses < 200:
            i = bisect_right(self.cumulative, self.rng.below(self.total))
            if self.names[i] in taken:
                misses += 1
                continue
            taken.add(self.names[i])
            chosen.append(self.names[i])
        while len(chosen) < k:  # nearly exhausted: draw from what is left
            left = [(n, w) for n, w in zip(self.names, self.weights) if n not in taken and w > 0]
            whole = sum(w for _, w in left)
            r = self.rng.below(whole)
            for name, w in left:
                if r < w:
                    break
                r -= w
            taken.add(name)
            chosen.append(name)
        return chosen


def remedy_weight(rank):
    return 2_500_000_000 // ((rank + 16) ** 2) + 25_000


def write_remedies(rubrics):
    rng = SplitMix64(SEED_REMEDIES)
    names = [n for n in REMEDY_NAMES if n not in LATE_REMEDIES]
    known = set(names)
    assert len(names) + len(LATE_REMEDIES) == REMEDY_COUNT
    assert all(n in known for n in POLYCHRESTS + RUBRIC1_REMEDIES + RUBRIC2_SHARED_FIRST + [RUBRIC2_FIRST_NEW])

    ranked = list(POLYCHRESTS)
    ranked += [n for n in RUBRIC1_REMEDIES if n not in ranked]
    rest = [n for n in names if n not in ranked]
    rng.shuffle(rest)
    ranked += rest
    base = [remedy_weight(rank) for rank in range(len(ranked))]

    samplers = []
    for c in range(len(CHAPTERS)):
        weights = list(base)
        for i in rng.sample(range(10, len(ranked)), 24):
            weights[i] *= 4
        samplers.append(Sampler(rng, ranked, weights))
    weight_of = dict(zip(ranked, base))

    # Rubric 1 and 2, with the shape the evaluation example needs.
    rubrics[0].remedies = list(RUBRIC1_REMEDIES)
    in_rubric1 = set(RUBRIC1_REMEDIES)
    bell = evaluation_key("Bell.")
    shared_pool = [n for n in ranked if n in in_rubric1 and evaluation_key(n) > bell]
    shared = RUBRIC2_SHARED_FIRST + Sampler(rng, shared_pool, [weight_of[n] for n in shared_pool]).draw(
        RUBRIC2_SHARED - len(RUBRIC2_SHARED_FIRST))
    after = book_key("Arg-n.")
    new_pool = [n for n in ranked if n not in in_rubric1 and n != RUBRIC2_FIRST_NEW and book_key(n) > after]
    new = [RUBRIC2_FIRST_NEW] + Sampler(rng, new_pool, [weight_of[n] for n in new_pool]).draw(RUBRIC2_NEW - 1)
    rubrics[1].remedies = shared + new

    last = len(rubrics) - 1
    for i in range(2, last):
        rubric = rubrics[i]
        rubric.remedies = samplers[rubric.chapter].draw(rubric.count)
    rubrics[last].remedies = LATE_REMEDIES + samplers[rubrics[last].chapter].draw(
        rubrics[last].count - len(LATE_REMEDIES))

    # Every remedy stands somewhere before the last rubric: a remedy the
    # draw missed takes the place of the most frequent one of some rubric.
    usage = {}
    for rubric in rubrics:
        for name in rubric.remedies:
            usage[name] = usage.get(name, 0) + 1
    rank_of = {n: i for i, n in enumerate(ranked)}
    for name in ranked:
        if usage.get(name, 0):
            continue
        while True:
            rubric = rubrics[rng.between(10, last - 1)]
            if rubric.count >= 3 and name not in rubric.remedies:
                break
        victim = max(rubric.remedies, key=lambda n: (usage[n], -rank_of[n]))
        rubric.remedies[rubric.remedies.index(victim)] = name
        usage[victim] -= 1
        usage[name] = 1

    for rubric in rubrics:
        assert len(rubric.remedies) == rubric.count == len(set(rubric.remedies))
        rubric.remedies.sort(key=book_key)


def remedy_table(rubrics):
    """Remedy indexes in order of first appearance."""
    index = {}
    for rubric in rubrics:
        for name in rubric.remedies:
            if name not in index:
                index[name] = len(index)
    table = sorted(index, key=index.get)
    assert len(table) == REMEDY_COUNT
    return table, index


# ---------------------------------------------------------------------------
# Output.

HEADER = """\
# Tessalyn repertory content -- GENERATED STAND-IN, not the licensed repertory.
# The texts imitate the book's style; the remedy assignments were drawn by a
# pseudo-random generator and carry no medical meaning.
# Regenerate with:  python3 tools/gen_repertory.py data/repertory.tsv
# Windows-1252 text, LF line ends, '#' starts a comment line. Records, tab-separated:
#   remedy   index abbreviation
#   chapter  index headingEnd text
#   heading  index rubricEnd text
#   rubric   number firstEntry entryCount oppositeNumber oppositeBd text entries
"""


def render(headings, rubrics, table, index):
    out = [HEADER]
    for i, name in enumerate(table):
        out.append("remedy\t%d\t%s\n" % (i, name))
    for i, (text, heading_end, _) in enumerate(CHAPTERS):
        out.append("chapter\t%d\t%d\t%s\n" % (i, heading_end, text))
    for i, heading in enumerate(headings):
        end = heading.first_rubric + heading.size
        out.append("heading\t%d\t%d\t%s\n" % (i, end, heading.text))
    first = 0
    for i, rubric in enumerate(rubrics):
        entries = " ".join(str(index[n]) for n in rubric.remedies)
        out.append("rubric\t%d\t%d\t%d\t0\t0\t%s\t%s\n" % (i + 1, first, rubric.count, rubric.text(), entries))
        first += rubric.count
    assert first == ENTRY_TOTAL
    return "".join(out)


def self_check(headings, rubrics, table, index):
    """The structural facts; the content test checks the rest."""
    assert len(headings) == HEADING_COUNT and len(rubrics) == RUBRIC_COUNT
    assert table[:8] == ["Acon.", "Aesc.", "Agar.", "Alet.", "Aloe.", "Alum.", "Ambr.", "Am-c."]
    assert table[-4:] == LATE_REMEDIES
    assert [index[n] for n in rubrics[0].remedies] == list(range(101))
    assert [index[n] for n in rubrics[1].remedies][:6] == [0, 101, 2, 7, 10, 13]
    assert sum(1 for h in headings if h.size == 0) == EMPTY_HEADINGS
    assert sum(1 for h in headings if h.kind == "single") == SELF_NAMED_HEADINGS
    texts = [h.text for h in headings] + [r.text() for r in rubrics] + table
    assert all(t.isascii() and "\t" not in t and "\n" not in t and "\r" not in t for t in texts)


def main(argv):
    if len(argv) < 2 or any(a != "--stats" for a in argv[2:]):
        sys.stderr.write("usage: gen_repertory.py OUTPUT [--stats]\n")
        return 2
    headings, rubrics = plan_layout()
    write_texts(headings, rubrics)
    headings, rubrics = sort_chapters(headings, rubrics)
    mark_unnumbered(headings, rubrics)
    write_paragraphs(headings, rubrics)
    write_counts(headings, rubrics)
    write_remedies(rubrics)
    table, index = remedy_table(rubrics)
    self_check(headings, rubrics, table, index)
    data = render(headings, rubrics, table, index).encode("cp1252")
    with open(argv[1], "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
