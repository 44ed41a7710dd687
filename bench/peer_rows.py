"""Benchmark rows against the Python packages users reach for instead of charlore: width
against wcwidth's wcswidth, graphemes against uniseg's grapheme_clusters and the regex
module's \\X, all sides of a row timed in the same rounds. Each peer's result is compared
with charlore's once before timing; the peers implement other Unicode versions and other
rules, so a difference is marked, not fatal. The packages are those of bench/peers.txt,
installed into the benchmark's environment only; a peer that cannot be imported gets a
note, and its column reads "n/a".

Also the table of where width and wcswidth differ, grouped by kind: every distinct
grapheme cluster of the corpora, a list of emoji sequences and a few other cases, and
runs of clusters that wcswidth counts as one.
"""
import importlib

from measure import compare_sides, peer, python_side, row

# Goal: charlore faster than each peer.
GOAL_PEER = 1.0

# Emoji sequences of every kind a terminal meets, with the kind each stands for.
EMOJI_SEQUENCES = {
    "\u231a": "emoji presentation by default",
    "\U0001f600": "emoji presentation by default",
    "\u2764": "text presentation by default",
    "\u2764\ufe0f": "text default + U+FE0F (VS16)",
    "\u231a\ufe0e": "emoji default + U+FE0E (VS15)",
    "\u263a\ufe0e": "text default + U+FE0E (VS15)",
    "\u0031\ufe0f\u20e3": "keycap sequence",
    "\u0031\u20e3": "keycap without U+FE0F",
    "\U0001f44d\U0001f3fd": "skin tone modifier",
    "\u261d\U0001f3fb": "skin tone modifier on a text-default base",
    "\U0001f3fd": "skin tone modifier alone",
    "\U0001f1eb\U0001f1f7": "flag (regional indicator pair)",
    "\U0001f1eb": "lone regional indicator",
    "\U0001f468\u200d\U0001f469\u200d\U0001f467": "ZWJ family",
    "\U0001f3f3\ufe0f\u200d\U0001f308": "ZWJ sequence from a text default",
    "\U0001f3f4\U000e0067\U000e0062\U000e0073\U000e0063\U000e0074\U000e007f": "tag sequence (subdivision flag)",
    "\U0001faea": "emoji of a recent Unicode version",
}

# A few characters outside the corpora whose width users ask about.
OTHER_CASES = {
    "\u00ad": "soft hyphen",
    "\t": "tab (a control)",
    "\u3164": "Hangul filler (wide and default-ignorable)",
    "a\u200db": "ZWJ between two letters",
    "\u0600a": "prepended concatenation mark",
}


def optional(name):
    try:
        return importlib.import_module(name)
    except ImportError:
        return None


def classify(charlore, cluster):
    """The kind of a grapheme cluster, for the table of differences."""
    categories = [charlore.category(c) for c in cluster]
    names = [charlore.name(c, "") for c in cluster]
    if "\u200d" in cluster:
        return "sequence with ZWJ"
    if any(n.endswith("SIGN VIRAMA") for n in names[1:-1]) and categories[-1].startswith("L"):
        return "conjunct (consonant, virama, consonant)"
    if "Mc" in categories[1:]:
        return "base + spacing mark (Mc)"
    if charlore.east_asian_width(cluster[0]) in ("W", "F"):
        return "wide" + (" + marks" if len(cluster) > 1 else "")
    if len(cluster) > 1:
        return "base + marks"
    return f"single {categories[0]} (east asian width {charlore.east_asian_width(cluster[0])})"


def across_clusters(charlore, wcswidth, text):
    """A short text from the first run of up to three clusters of text where wcswidth sees
    other clusters (its width of the run is not the sum over charlore's clusters), or None."""
    def joins(run):
        return wcswidth(run) not in (charlore.width(run), sum(map(wcswidth, charlore.graphemes(run))))

    clusters = charlore.graphemes(text)
    for start in range(len(clusters)):
        for end in range(start + 2, min(start + 4, len(clusters) + 1)):
            run = "".join(clusters[start:end])
            if joins(run):
                # Leave out one character after another while the difference stays.
                shorter = True
                while shorter:
                    candidates = (run[:i] + run[i + 1:] for i in range(len(run)))
                    shorter = next((c for c in candidates if c and joins(c)), None)
                    run = shorter or run
                return run
    return None


def width_differences(charlore, wcswidth, texts):
    """{kind: (count of distinct cases, example, ours, theirs)} where width and wcswidth
    differ: on every distinct cluster of the corpora, the emoji sequences and the other
    cases; and, per corpus, where wcswidth does not count the text as the sum of its
    clusters."""
    kinds = {}

    def add(kind, case):
        ours, theirs = charlore.width(case), wcswidth(case)
        if ours != theirs:
            count, example, ours, theirs = kinds.get(kind, (0, case, ours, theirs))
            kinds[kind] = (count + 1, example, ours, theirs)

    clusters = dict.fromkeys(cluster for text in texts.values() for cluster in charlore.graphemes(text))
    for cluster in clusters:
        add(classify(charlore, cluster), cluster)
    for case, kind in {**EMOJI_SEQUENCES, **OTHER_CASES}.items():
        add(kind, case)
    for corpus, text in texts.items():
        if wcswidth(text) != sum(map(wcswidth, charlore.graphemes(text))):
            run = across_clusters(charlore, wcswidth, text)
            if run is not None:
                add(f"joined across clusters ({corpus})", run)
    return kinds


# The peers by the name their column shows: the module that holds the call, and how to
# make the call of a text from the module.
PEERS = {
    "wcswidth": ("wcwidth", lambda module: module.wcswidth),
    "uniseg": ("uniseg.graphemecluster", lambda module: lambda text: list(module.grapheme_clusters(text))),
    "regex \\X": ("regex", lambda module: module.compile(r"\X").findall),
}
# The rows: the query, its peers, and how much of each corpus they are timed on. uniseg
# takes tens of microseconds a character, so its rows time the corpora's beginnings.
UNISEG_PREFIX = 2_000
ROWS = [("width", ("wcswidth",), None), ("graphemes", ("regex \\X",), None),
        ("graphemes", ("uniseg",), UNISEG_PREFIX)]


def peer_version(module_name):
    """The package's release and, where it says, the Unicode version of its tables."""
    package = importlib.import_module(module_name.partition(".")[0])
    unicode = getattr(package, "unidata_version", None)
    if hasattr(package, "list_versions"):
        unicode = package.list_versions()[-1]
    return f"{package.__name__} {package.__version__}" + (f", Unicode {unicode}" if unicode else "")


def peer_rows(charlore, texts, rounds):
    """One row per query and corpus: charlore and each of its peers timed in the same
    rounds, each peer's result compared with charlore's first. A peer that cannot be
    imported gets a note and no time, so its goal counts as not measured."""
    calls, notes, rows = {}, [], []
    for name, (module_name, make_call) in PEERS.items():
        module = optional(module_name)
        if module is None:
            notes.append(dict(section="python peers", case=f"{name}: no module {module_name}",
                              value="skipped (see bench/peers.txt)"))
        else:
            calls[name] = make_call(module)
            notes.append(dict(section="python peers", case=f"{name}: version", value=peer_version(module_name)))
    for query, names, prefix in ROWS:
        ours = getattr(charlore, query)
        for corpus, text in texts.items():
            text = text[:prefix]
            label = f"{query} {corpus}" + (f", first {prefix}" if prefix else "")
            expected = ours(text)
            theirs = [calls.get(name) for name in names]
            sides = [python_side(lambda: ours(text))]
            sides += [python_side(call and (lambda call=call: call(text))) for call in theirs]
            ours_ns, *peer_ns = compare_sides(sides, len(text), rounds)
            peers = [peer(name, ns, ours_ns, GOAL_PEER, same_result=call and call(text) == expected)
                     for name, call, ns in zip(names, theirs, peer_ns)]
            rows.append(row("python peers", label, ours_ns, None, peers=peers, length=len(text)))
    rows += notes
    if "wcswidth" in calls:
        for kind, (count, example, ours, theirs) in width_differences(charlore, calls["wcswidth"], texts).items():
            rows.append(dict(section="width against wcswidth: differences", case=kind,
                             value=f"{count}: {ascii(example)} {ours} vs {theirs}"))
    return rows
