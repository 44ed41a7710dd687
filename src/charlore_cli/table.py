"""One row of properties per character, and the two ways of showing rows: an aligned
table for people and plain data for JSON. Nothing here prints a character that could
move the cursor, change the terminal's state or reorder the line around it."""
import charlore

# Characters that are never written out as they are: controls (ESC starts terminal
# escape sequences), format characters (bidirectional overrides reorder what follows),
# surrogates, private-use and unassigned code points, and the line and paragraph separators.
UNSHOWN_CATEGORIES = frozenset({"Cc", "Cf", "Cs", "Co", "Cn", "Zl", "Zp"})

# Combining marks are shown on a dotted circle, so that they do not combine with the
# column separator.
MARK_CATEGORIES = frozenset({"Mn", "Me"})
MARK_BASE = "\u25CC"

COLUMNS = ("code point", "char", "name", "category", "script", "block", "age", "bidirectional",
           "combining", "east_asian_width", "mirrored", "decomposition", "numeric")


def _is_noncharacter(cp):
    return 0xFDD0 <= cp <= 0xFDEF or (cp & 0xFFFE) == 0xFFFE


def name_placeholder(cp, category):
    """The label shown for a code point without a name, after its kind."""
    if category == "Cc":
        return "<control>"
    if category == "Cs":
        return "<surrogate>"
    if category == "Co":
        return "<private-use>"
    if category == "Cn":
        return "<noncharacter>" if _is_noncharacter(cp) else "<unassigned>"
    return "<no name>"


def escape_character(ch):
    """The \\uXXXX or \\UXXXXXXXX escape of ch."""
    cp = ord(ch)
    return f"\\u{cp:04X}" if cp <= 0xFFFF else f"\\U{cp:08X}"


def escape(text):
    """text with every character that is unsafe to print replaced by its escape;
    everything else unchanged."""
    return "".join(escape_character(ch) if charlore.category(ch) in UNSHOWN_CATEGORIES else ch
                   for ch in text)


def properties(database, ch):
    """The properties of the character ch as database (charlore or charlore.ucd_3_2_0)
    answers them, keyed like the queries; name and numeric are None where there is none.
    Script, block and age are known for the current database only: None as of 3.2.0."""
    current = database is charlore
    return {
        "code_point": f"U+{ord(ch):04X}",
        "character": ch,
        "name": database.name(ch, None),
        "category": database.category(ch),
        "script": charlore.script(ch) if current else None,
        "script_extensions": list(charlore.script_extensions(ch)) if current else None,
        "block": charlore.block(ch) if current else None,
        "age": charlore.age(ch) if current else None,
        "bidirectional": database.bidirectional(ch),
        "combining": database.combining(ch),
        "east_asian_width": database.east_asian_width(ch),
        "mirrored": database.mirrored(ch),
        "decomposition": database.decomposition(ch),
        "numeric": database.numeric(ch, None),
    }


def shown_character(ch):
    """The character cell: the character itself, on a dotted circle if it is a combining
    mark, or nothing if it is unsafe or invisible to print."""
    category = charlore.category(ch)
    if category in UNSHOWN_CATEGORIES:
        return ""
    if category in MARK_CATEGORIES:
        return MARK_BASE + ch
    return ch


def display_width(text):
    """Terminal columns that text takes: two for wide and fullwidth characters, none for
    combining marks and format characters, one for the rest (current database)."""
    width = 0
    for ch in text:
        if charlore.category(ch) in ("Mn", "Me", "Cf"):
            continue
        width += 2 if charlore.east_asian_width(ch) in ("W", "F") else 1
    return width


def table_cells(row):
    """The row's cells as text, in the order of COLUMNS."""
    cp = ord(row["character"])
    numeric = row["numeric"]
    return [
        row["code_point"],
        shown_character(row["character"]),
        row["name"] if row["name"] is not None else name_placeholder(cp, row["category"]),
        row["category"],
        row["script"] or "",
        row["block"] or "",
        row["age"] or "",
        row["bidirectional"],
        str(row["combining"]),
        row["east_asian_width"],
        str(row["mirrored"]),
        row["decomposition"],
        "" if numeric is None else repr(numeric),
    ]


def render_table(rows):
    """The rows as lines of an aligned table under a header line; no trailing spaces."""
    lines = [list(COLUMNS)] + [table_cells(row) for row in rows]
    widths = [max(display_width(line[i]) for line in lines) for i in range(len(COLUMNS))]
    rendered = []
    for line in lines:
        padded = [cell + " " * (width - display_width(cell)) for cell, width in zip(line, widths)]
        rendered.append("  ".join(padded).rstrip())
    return rendered
