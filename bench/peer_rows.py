"""Benchmark rows against the Python packages users reach for instead of charlore: width
against wcwidth's wcswidth, graphemes against uniseg's grapheme_clusters and the regex
module's \\X. Each pair of results is compared once before timing; the peers implement
other Unicode versions and other rules, so a difference is reported, not fatal. Without
the packages (they live in the benchmark environment only) the rows read "n/a".

Also the table of where width and wcswidth differ: every distinct grapheme cluster of the
corpora and a list of emoji sequences, grouped by kind.
"""
import collections
import importlib

# Goal: charlore faster than each peer.
GOAL_PEER = 1.0

# Emoji sequences of every kind a terminal meets, with the kind each stands for.
EMOJI_SEQUENCES = {
    "\u231a": "emoji presentation by default",
    "\U0001f600": "emoji presentation by default",
    "\u2764": "text presentation by default",
    "\u2764\ufe0f": "text default + U+FE0F",
    "\u231a\ufe0e": "emoji default + U+FE0E",
    "\u0031\ufe0f\u20e3": "keycap sequence",
    "\U0001f44d\U0001f3fd": "skin tone modifier",
    "\U0001f1eb\U0001f1f7": "flag (regional indicator pair)",
    "\U0001f1eb": "lone regional indicator",
    "\U0001f468\u200d\U0001f469\u200d\U0001f467": "ZWJ family",
    "\U0001f3f3\ufe0f\u200d\U0001f308": "ZWJ sequence from a text default",
    "\U0001f3f4\U000e0067\U000e0062\U000e0073\U000e0063\U000e0074\U000e007f": "tag sequence (subdivision flag)",
    "\U0001faea": "emoji of a recent Unicode version",
}


def optional(name):
    try:
        return importlib.import_module(name)
    except ImportError:
        return None


def classify(cluster):
    """A short name for the kind of a grapheme cluster, for the table of differences."""
    import charlore

    first = cluster[0]
    category = charlore.category(first)
    if len(cluster) > 1 and "\u200d" in cluster:
        return "sequence with ZWJ"
    if first >= "\u1100" and charlore.east_asian_width(first) in ("W", "F"):
        return "wide" + (" + marks" if len(cluster) > 1 else "")
    if category in ("Mn", "Me", "Cf"):
        return f"cluster starting with {category}"
    if len(cluster) > 1:
        return "base + marks"
    return f"single {category} (east asian width {charlore.east_asian_width(first)})"


def width_differences(charlore, wcwidth, texts):
    """{kind: (count of distinct clusters, example, ours, theirs)} where width != wcswidth."""
    kinds = {}
    clusters = collections.OrderedDict()
    for text in texts.values():
        for cluster in charlore.graphemes(text):
            clusters.setdefault(cluster, None)
    for cluster, kind in [(c, None) for c in clusters] + list(EMOJI_SEQUENCES.items()):
        ours, theirs = charlore.width(cluster), wcwidth.wcswidth(cluster)
        if ours == theirs:
            continue
        kind = kind or classify(cluster)
        count, example, _, _ = kinds.get(kind, (0, cluster, ours, theirs))
        kinds[kind] = (count + 1, example, ours, theirs)
    return kinds


def peer_rows(charlore, texts, rounds, compare, row):
    rows = []
    wcwidth = optional("wcwidth")
    uniseg = optional("uniseg.graphemecluster")
    regex = optional("regex")
    cluster_pattern = regex.compile(r"\X") if regex else None
    peers = {
        "graphemes against uniseg": (charlore.graphemes,
                                     uniseg and (lambda text: list(uniseg.grapheme_clusters(text)))),
        "graphemes against regex \\X": (charlore.graphemes, regex and cluster_pattern.findall),
        "width against wcwidth.wcswidth": (charlore.width, wcwidth and wcwidth.wcswidth),
    }
    for label, (ours, theirs) in peers.items():
        for corpus, text in texts.items():
            same = ours(text) == theirs(text) if theirs else None
            ours_ns, theirs_ns = compare(lambda: ours(text), theirs and (lambda: theirs(text)), len(text), rounds)
            rows.append(row("python peers", f"{label}: {corpus}", ours_ns, theirs_ns, GOAL_PEER, length=len(text),
                            same_result=same))
    if wcwidth:
        for kind, (count, example, ours, theirs) in width_differences(charlore, wcwidth, texts).items():
            rows.append(dict(section="width against wcswidth: differences", case=kind,
                             value=f"{count}: {ascii(example)} {ours} vs {theirs}"))
    return rows
