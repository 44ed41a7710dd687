"""The grapheme clusters of a text as rows (the cluster, its code points, its width in
terminal columns) and as an aligned table. A cluster is shown whole where that is safe,
so that an emoji sequence appears as the one picture a terminal draws for it."""
import charlore

from charlore_cli.table import MARK_BASE, MARK_CATEGORIES, UNSHOWN_CATEGORIES, escape_character

COLUMNS = ("cluster", "width", "code points")

# Invisible characters that only join or tag the ones before them (the zero width joiner
# and non-joiner of emoji and other sequences, the tags of subdivision flags): shown as
# they are inside a cluster, but escaped where they would start one.
_JOINING_FORMAT = frozenset([0x200C, 0x200D] + list(range(0xE0020, 0xE0080)))


def cluster_rows(text):
    """One row per grapheme cluster of text: the cluster, its code points and its width."""
    return [{"cluster": cluster,
             "code_points": [f"U+{ord(ch):04X}" for ch in cluster],
             "width": charlore.width(cluster)}
            for cluster in charlore.graphemes(text)]


def shown_cluster(cluster):
    """The cluster cell: the cluster itself, on a dotted circle if it starts with a
    combining mark, with every character that is unsafe to print escaped."""
    parts = []
    for position, ch in enumerate(cluster):
        category = charlore.category(ch)
        if category in UNSHOWN_CATEGORIES and not (position and ord(ch) in _JOINING_FORMAT):
            parts.append(escape_character(ch))
        elif position == 0 and category in MARK_CATEGORIES:
            parts.append(MARK_BASE + ch)
        else:
            parts.append(ch)
    return "".join(parts)


def render_clusters(rows):
    """The rows as lines of an aligned table under a header line; no trailing spaces.
    Columns are counted with the module's own width, the one a terminal gives a cluster."""
    lines = [list(COLUMNS)] + [[shown_cluster(row["cluster"]), str(row["width"]),
                                " ".join(row["code_points"])] for row in rows]
    widths = [max(charlore.width(line[i]) for line in lines) for i in range(len(COLUMNS))]
    return ["  ".join(cell + " " * (width - charlore.width(cell))
                      for cell, width in zip(line, widths)).rstrip()
            for line in lines]
