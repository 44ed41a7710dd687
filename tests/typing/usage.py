"""Typed use of charlore, checked by `mypy --strict` against charlore.pyi (scripts/check):
each assert_type states the type a caller gets, and each marked line is a misuse that the
stub must reject, so that a stub grown too permissive leaves an unused ignore behind,
which --strict reports. Never run, only checked."""
from typing import Final, assert_type

import charlore
from charlore import UCD, ucd_3_2_0


def describe(database: UCD, ch: str) -> str:
    """Every query of a database object, typed as the module's functions are."""
    assert_type(database.unidata_version, str)
    parts = [database.category(ch), database.bidirectional(ch), database.east_asian_width(ch),
             database.decomposition(ch), str(database.combining(ch)), str(database.mirrored(ch))]
    assert_type(database.decimal(ch), int)
    assert_type(database.decimal(ch, None), int | None)
    assert_type(database.digit(ch, -1), int)
    assert_type(database.numeric(ch), float)
    assert_type(database.numeric(ch, "none"), float | str)
    assert_type(database.name(ch, None), str | None)
    assert_type(database.lookup(b"SPACE"), str)
    assert_type(database.normalize("NFKC", ch), str)
    return " ".join(parts)


VERSION: Final = charlore.unidata_version
assert_type(VERSION, str)
assert_type(ucd_3_2_0, UCD)
assert_type(charlore.name("A"), str)
assert_type(charlore.name("\0", 0), str | int)
assert_type(charlore.lookup("LATIN SMALL LETTER A"), str)
assert_type(charlore.normalize("NFD", "\u00c0"), str)
assert_type(charlore.category("A"), str)
assert_type(charlore.combining("\u0301"), int)
assert_type(charlore.digit("\u00b2", None), int | None)
describe(charlore.ucd_3_2_0, "A")

# Misuses the stub must reject.
charlore.normalize("nfc", "x")  # type: ignore[arg-type]
charlore.category(65)  # type: ignore[arg-type]
charlore.lookup(None)  # type: ignore[arg-type]
charlore.name()  # type: ignore[call-overload]
charlore.name("A", None, None)  # type: ignore[call-overload]
charlore.decimal(chr="7")  # type: ignore[call-overload]
charlore.unidata_version = "3.2.0"  # type: ignore[misc]
ucd_3_2_0.unidata_version = "1.0"  # type: ignore[misc]
_ = charlore._PyCharlore_IsAlpha  # type: ignore[attr-defined]
