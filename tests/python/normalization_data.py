"""The suite's own normalization knowledge, read from the UCD files in ../shared/ucd.

NormalizationTest.txt as test cases, the decomposition mappings, combining classes and
composition exclusions of UnicodeData.txt and DerivedNormalizationProps.txt, and a plain
reference normalizer written straight from the definitions (full recursive decomposition,
a stable sort of each non-starter run, and composition by scanning back for the last
starter). It is slow and simple on purpose; the tests compare the module against it.
"""
import dataclasses
import functools

from ucd_data import CURRENT, V320, code_point_range, data_lines, unicode_data

FORMS = ("NFC", "NFD", "NFKC", "NFKD")

S_BASE, L_BASE, V_BASE, T_BASE = 0xAC00, 0x1100, 0x1161, 0x11A7
L_COUNT, V_COUNT, T_COUNT = 19, 21, 28
S_COUNT = L_COUNT * V_COUNT * T_COUNT


def text(code_points):
    """'0041 0300' -> 'A\\u0300'."""
    return "".join(chr(int(cp, 16)) for cp in code_points.split())


@dataclasses.dataclass(frozen=True)
class TestLine:
    part: str
    line: int
    columns: tuple  # source, NFC, NFD, NFKC, NFKD as str


@functools.lru_cache(maxsize=None)
def normalization_test_lines():
    """Every data line of NormalizationTest.txt with its part ('Part0' ... 'Part5')."""
    lines, part = [], None
    with open(CURRENT / "NormalizationTest.txt", encoding="utf-8") as f:
        for number, raw in enumerate(f, 1):
            data = raw.split("#", 1)[0].strip()
            if not data:
                continue
            if data.startswith("@"):
                part = data[1:].split()[0]
                continue
            fields = [field.strip() for field in data.split(";")]
            lines.append(TestLine(part, number, tuple(text(field) for field in fields[:5])))
    return tuple(lines)


@functools.lru_cache(maxsize=None)
def part1_code_points():
    """The characters that Part 1 of NormalizationTest.txt lists in its first column."""
    return frozenset(ord(t.columns[0]) for t in normalization_test_lines() if t.part == "Part1")


@dataclasses.dataclass(frozen=True)
class Mapping:
    tag: str  # '' for a canonical mapping, else e.g. '<compat>'
    code_points: tuple


@functools.lru_cache(maxsize=None)
def mappings(directory=CURRENT):
    """Code point -> its UnicodeData.txt decomposition mapping, where it has one."""
    result = {}
    for cp, fields in unicode_data(directory).items():
        items = fields[5].split()
        if not items:
            continue
        tag = items.pop(0) if items[0].startswith("<") else ""
        result[cp] = Mapping(tag, tuple(int(item, 16) for item in items))
    return result


@functools.lru_cache(maxsize=None)
def combining_classes():
    return {cp: int(fields[3]) for cp, fields in unicode_data().items() if fields[3] != "0"}


def combining_class(cp):
    return combining_classes().get(cp, 0)


@functools.lru_cache(maxsize=None)
def composition_excluded():
    excluded = set()
    for fields in data_lines(CURRENT / "DerivedNormalizationProps.txt"):
        if fields[1] == "Full_Composition_Exclusion":
            first, last = code_point_range(fields[0])
            excluded.update(range(first, last + 1))
    return frozenset(excluded)


@functools.lru_cache(maxsize=None)
def primary_composites():
    """(first, last) -> composite for every canonical pair mapping not excluded."""
    return {m.code_points: cp for cp, m in mappings().items()
            if m.tag == "" and len(m.code_points) == 2 and cp not in composition_excluded()}


@functools.lru_cache(maxsize=None)
def assigned_in_320():
    return frozenset(unicode_data(V320))


@functools.lru_cache(maxsize=None)
def replacements_320():
    """Code point -> its Unicode 3.2.0 canonical mapping, where that was a different
    single code point."""
    now, old = mappings(), mappings(V320)
    return {cp: m.code_points[0] for cp, m in old.items()
            if m.tag == "" and len(m.code_points) == 1 and now.get(cp) != m}


def full_decomposition(cp, compatibility, old=False):
    """The complete expansion of one code point, as a list (not yet ordered)."""
    if S_BASE <= cp < S_BASE + S_COUNT:
        s = cp - S_BASE
        jamo = [L_BASE + s // (V_COUNT * T_COUNT), V_BASE + s % (V_COUNT * T_COUNT) // T_COUNT]
        return jamo + ([T_BASE + s % T_COUNT] if s % T_COUNT else [])
    if old:
        if cp in replacements_320():
            return full_decomposition(replacements_320()[cp], compatibility, old)
        if cp not in assigned_in_320() and cp in unicode_data():
            return [cp]
    m = mappings().get(cp)
    if m is None or (m.tag and not compatibility):
        return [cp]
    return [x for part in m.code_points for x in full_decomposition(part, compatibility, old)]


def reference_decompose(s, compatibility, old=False):
    cps = [x for ch in s for x in full_decomposition(ord(ch), compatibility, old)]
    # Canonical ordering: a stable sort by class of every run of non-starters.
    out, run = [], []
    for cp in cps + [None]:
        if cp is not None and combining_class(cp) != 0:
            run.append(cp)
            continue
        out.extend(sorted(run, key=combining_class))
        run = []
        if cp is not None:
            out.append(cp)
    return out


def reference_compose(cps):
    """Canonical composition of a decomposed, ordered sequence of code points."""
    out = []
    starter = None  # index in out of the last starter
    for cp in cps:
        cls = combining_class(cp)
        if starter is not None:
            last = out[starter]
            # The characters left between the starter and cp are non-starters in canonical
            # order, so the last of them has the greatest class; cp is blocked if that class
            # is 0 or at least its own.
            between = len(out) - starter - 1
            blocked = between > 0 and (combining_class(out[-1]) == 0 or combining_class(out[-1]) >= cls)
            if not blocked:
                composite = None
                if L_BASE <= last < L_BASE + L_COUNT and V_BASE <= cp < V_BASE + V_COUNT and not between:
                    composite = S_BASE + ((last - L_BASE) * V_COUNT + cp - V_BASE) * T_COUNT
                elif (S_BASE <= last < S_BASE + S_COUNT and (last - S_BASE) % T_COUNT == 0
                      and T_BASE < cp < T_BASE + T_COUNT and not between):
                    composite = last + cp - T_BASE
                else:
                    composite = primary_composites().get((last, cp))
                if composite is not None:
                    out[starter] = composite
                    continue
        if cls == 0:
            starter = len(out)
        out.append(cp)
    return out


def reference_normalize(form, s, old=False):
    cps = reference_decompose(s, form.startswith("NFK"), old)
    if form in ("NFC", "NFKC"):
        cps = reference_compose(cps)
    return "".join(map(chr, cps))
