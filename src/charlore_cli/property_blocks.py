"""Every property the database answers, for each character: plain data for JSON, and one
block per character for people (the code point, the character and its name, then one
aligned line per property, in the order of PropertyAliases.txt)."""
import math

import charlore

from charlore_cli.table import escape, name_placeholder, shown_character

_INDENT = "  "


# The properties that queries of their own answer, by long name in the order of
# PropertyAliases.txt: all there is to show of a module without the general query.
_SINGLE_QUERIES = (
    ("Numeric_Value", lambda ch: charlore.numeric(ch, None)),
    ("Age", charlore.age),
    ("Block", charlore.block),
    ("Script", charlore.script),
    ("Bidi_Class", charlore.bidirectional),
    ("Canonical_Combining_Class", charlore.combining),
    ("East_Asian_Width", charlore.east_asian_width),
    ("General_Category", charlore.category),
    ("Bidi_Mirrored", lambda ch: bool(charlore.mirrored(ch))),
)


def _queries():
    """(long name, query of one character) for every property the module answers."""
    if hasattr(charlore, "property") and hasattr(charlore, "_property_names"):
        return [(name, lambda ch, name=name: charlore.property(name, ch)) for name in charlore._property_names]
    return list(_SINGLE_QUERIES)


_QUERIES = _queries()


def property_values(ch):
    """Long property name -> the value of ch, for every property in the database's order.
    A missing numeric value is None (JSON has no NaN)."""
    values = {}
    for name, query in _QUERIES:
        value = query(ch)
        if isinstance(value, float) and math.isnan(value):
            value = None
        values[name] = value
    return values


def property_row(ch):
    """The character, its name (None where it has none) and every property's value."""
    return {"code_point": f"U+{ord(ch):04X}", "character": ch, "name": charlore.name(ch, None),
            "properties": property_values(ch)}


def _shown_value(value):
    if isinstance(value, bool):
        return "Yes" if value else "No"
    if value is None:
        return ""
    if isinstance(value, float):
        return repr(value)
    if isinstance(value, tuple):  # name aliases, script extensions
        return " ".join(escape(v) for v in value)
    return escape(str(value))


def render_property_blocks(rows):
    """The rows as blocks separated by a blank line; no trailing spaces."""
    width = max((len(name) for name, _ in _QUERIES), default=0)
    lines = []
    for row in rows:
        if lines:
            lines.append("")
        cp = ord(row["character"])
        name = row["name"]
        if name is None:
            name = name_placeholder(cp, charlore.category(row["character"]))
        lines.append("  ".join(cell for cell in (row["code_point"], shown_character(row["character"]), name)
                               if cell))
        for prop, value in row["properties"].items():
            lines.append(f"{_INDENT}{prop:{width}}  {_shown_value(value)}".rstrip())
    return lines
