"""The command line: reads the text (arguments, standard input or character names), or
finds the characters by words of their names or by a range of code points, normalizes
the text if asked, and prints its characters' main properties or every property, or
the text's grapheme clusters or its width. Every failure the user can cause ends with one line on standard
error and a non-zero exit status."""
import argparse
import json
import os
import sys

import charlore

from charlore_cli.clusters import cluster_rows, render_clusters
from charlore_cli.property_blocks import property_row, render_property_blocks
from charlore_cli.table import escape, properties, render_table

FORMS = ("NFC", "NFD", "NFKC", "NFKD")

EXIT_FAILURE = 1
EXIT_USAGE = 2
EXIT_INTERRUPTED = 130

DEFAULT_SEARCH_LIMIT = 100


class CommandError(Exception):
    """A failure that ends the command; its text is the one line shown to the user, or
    None when there is nothing to say."""


class UsageError(CommandError):
    """A wrong option or value found after the arguments were parsed."""


class _Parser(argparse.ArgumentParser):
    """An argument parser whose complaints fit on one line."""

    def error(self, message):
        self.exit(EXIT_USAGE, f"{self.prog}: {' '.join(message.split())} (see {self.prog} --help)\n")


def _databases():
    """Version string -> the object answering as of that version."""
    return {charlore.unidata_version: charlore,
            charlore.ucd_3_2_0.unidata_version: charlore.ucd_3_2_0}


def _parser():
    parser = _Parser(
        prog="charlore",
        description="Show what the Unicode Character Database says about each character "
                    "of a text: code point, name, category, bidirectional class, combining "
                    "class, east asian width, mirrored, decomposition and numeric value.",
        epilog="Without TEXT, the text (or with --lookup the names, one a line) is read "
               "from standard input as UTF-8.")
    parser.add_argument("text", nargs="*", metavar="TEXT",
                        help="the text to describe; several are joined with single spaces")
    parser.add_argument("--form", choices=FORMS,
                        help="describe the text after normalizing it to this form")
    selection = parser.add_mutually_exclusive_group()
    selection.add_argument("--lookup", action="store_true",
                           help="take the arguments as character names (aliases and named "
                                "sequences included, letter case ignored)")
    selection.add_argument("--search", action="store_true",
                           help="take the arguments as words of names and describe every "
                                "character whose name holds them all as whole words")
    selection.add_argument("--range", type=_code_point_range, metavar="FIRST-LAST",
                           help="describe every code point from FIRST to LAST (hexadecimal)")
    parser.add_argument("--limit", type=_limit, metavar="N",
                        help=f"show at most N rows (default {DEFAULT_SEARCH_LIMIT} with --search, "
                             "no limit otherwise)")
    view = parser.add_mutually_exclusive_group()
    view.add_argument("--properties", action="store_true",
                      help="show every property of each character, one block per character")
    view.add_argument("--graphemes", action="store_true",
                      help="show the text's grapheme clusters, one a line, with their code "
                           "points and widths")
    view.add_argument("--width", action="store_true",
                      help="print the number of terminal columns the text takes")
    parser.add_argument("--ucd", choices=tuple(_databases()), default=charlore.unidata_version,
                        help="answer as of this version of the database (default %(default)s)")
    parser.add_argument("--json", action="store_true", help="print one JSON document")
    return parser


def _code_point(text):
    digits = text[2:] if text[:2] in ("U+", "u+") else text
    if not 1 <= len(digits) <= 6 or any(c not in "0123456789abcdefABCDEF" for c in digits):
        raise ValueError(text)
    cp = int(digits, 16)
    if cp > 0x10FFFF:
        raise ValueError(text)
    return cp


def _code_point_range(text):
    """FIRST-LAST in hexadecimal (each optionally written U+XXXX) as (first, last)."""
    first, dash, last = text.partition("-")
    try:
        if not dash:
            raise ValueError(text)
        first, last = _code_point(first), _code_point(last)
    except ValueError:
        raise argparse.ArgumentTypeError(f"invalid range {text!r}: expected FIRST-LAST in hexadecimal, "
                                         f"up to 10FFFF") from None
    if first > last:
        raise argparse.ArgumentTypeError(f"invalid range {text!r}: FIRST is above LAST")
    return first, last


def _limit(text):
    if not text.isascii() or not text.isdigit() or int(text) == 0:
        raise argparse.ArgumentTypeError(f"invalid limit {text!r}: expected a positive whole number")
    return int(text)


def _argument_text(index, argument):
    """The argument as text; an argument whose bytes were not valid in the locale's
    encoding holds escaped bytes (lone surrogates) and is refused."""
    for position, ch in enumerate(argument):
        if 0xD800 <= ord(ch) <= 0xDFFF:
            raise CommandError(f"argument {index} cannot be decoded "
                               f"(byte 0x{ord(ch) & 0xFF:02X} at character {position})")
    return argument


def _standard_input():
    """Standard input decoded as UTF-8, with one final line ending removed."""
    try:
        data = sys.stdin.buffer.read()
    except OSError as error:
        raise CommandError(f"cannot read standard input: {error.strerror}") from None
    try:
        text = data.decode("utf-8")
    except UnicodeDecodeError as error:
        raise CommandError(f"standard input is not valid UTF-8 "
                           f"(byte 0x{data[error.start]:02X} at offset {error.start})") from None
    if text.endswith("\r\n"):
        return text[:-2]
    if text.endswith("\n"):
        return text[:-1]
    return text


def _look_up(database, names):
    """(name, text) for each name; an unknown name is a CommandError."""
    found = []
    for name in names:
        try:
            found.append((name, database.lookup(name)))
        except KeyError as error:
            raise CommandError(escape(str(error.args[0]))) from None
    return found


def _check_combinations(arguments):
    text_view = "--graphemes" if arguments.graphemes else "--width" if arguments.width else None
    if text_view and (arguments.search or arguments.range is not None):
        raise UsageError(f"{text_view} applies to a text, not to --search or --range")
    if text_view and arguments.limit is not None:
        raise UsageError(f"--limit applies to rows of characters, not to {text_view}")
    if text_view and arguments.ucd != charlore.unidata_version:
        raise UsageError(f"{text_view} answers from the current database ({charlore.unidata_version}) only")
    if arguments.properties and arguments.ucd != charlore.unidata_version:
        raise UsageError(f"--properties answers from the current database ({charlore.unidata_version}) only")
    if arguments.range is not None and arguments.text:
        raise UsageError("--range takes no TEXT arguments")
    if arguments.form and (arguments.search or arguments.range is not None):
        raise UsageError("--form applies to a text, not to --search or --range")
    if arguments.search and arguments.ucd != charlore.unidata_version:
        raise UsageError(f"--search answers from the current database ({charlore.unidata_version}) only")


def _distinct_characters(found):
    """The characters of the found strings, each once, in the order they first appear."""
    seen = {}
    for text in found:
        for ch in text:
            seen.setdefault(ch, None)
    return list(seen)


def _limited(describe, document, characters, limit):
    """Fills in the rows of at most `limit` of the characters and how many are left out."""
    shown = characters if limit is None else characters[:limit]
    document["characters"] = [describe(ch) for ch in shown]
    document["more"] = len(characters) - len(shown)
    return document


def _search_document(database, describe, given, limit):
    words = " ".join(given) if given else _standard_input()
    try:
        found = charlore.search(words)
    except ValueError:
        raise UsageError("no words to search for") from None
    if not found:
        raise CommandError(f"no character name holds the words '{escape(' '.join(words.split()))}'")
    document = {"unidata_version": database.unidata_version, "search": words}
    return _limited(describe, document, _distinct_characters(found), limit)


def _range_document(database, describe, code_points, limit):
    first, last = code_points
    document = {"unidata_version": database.unidata_version,
                "range": {"first": f"U+{first:04X}", "last": f"U+{last:04X}"}}
    # Only the rows shown are made, so that a range of the whole code space stays cheap.
    end = last + 1 if limit is None else min(last + 1, first + limit)
    document["characters"] = [describe(chr(cp)) for cp in range(first, end)]
    document["more"] = last + 1 - end
    return document


def _document(arguments):
    """Everything to show, as plain data: the text described and its rows, plus the
    names looked up and the form applied when asked for; or the rows of the characters
    found by a search or in a range, with the number of rows left out."""
    _check_combinations(arguments)
    database = _databases()[arguments.ucd]
    given = [_argument_text(i, a) for i, a in enumerate(arguments.text, start=1)]
    if arguments.properties:
        describe = property_row
    else:
        def describe(ch):
            return properties(database, ch)
    if arguments.search:
        limit = DEFAULT_SEARCH_LIMIT if arguments.limit is None else arguments.limit
        return _search_document(database, describe, given, limit)
    if arguments.range is not None:
        return _range_document(database, describe, arguments.range, arguments.limit)
    document = {"unidata_version": database.unidata_version}
    if arguments.lookup:
        names = given or [line.strip() for line in _standard_input().splitlines() if line.strip()]
        found = _look_up(database, names)
        document["names"] = [{"name": name, "text": text} for name, text in found]
        text = "".join(text for _, text in found)
    else:
        text = " ".join(given) if given else _standard_input()
    if arguments.form:
        document["input"] = text
        document["form"] = arguments.form
        text = database.normalize(arguments.form, text)
    document["text"] = text
    if arguments.graphemes:
        document["graphemes"] = cluster_rows(text)
    if arguments.graphemes or arguments.width:
        document["width"] = charlore.width(text)
        return document
    if arguments.limit is None:
        document["characters"] = [describe(ch) for ch in text]
        return document
    return _limited(describe, document, list(text), arguments.limit)


def _text_lines(arguments, document):
    """The document for people: what was looked up or normalized, then the table (of
    characters or of clusters) or the blocks of every property; or the width alone."""
    if arguments.width:
        return [str(document["width"])]
    lines = [f"{escape(entry['name'])}: {escape(entry['text'])}" for entry in document.get("names", ())]
    if "form" in document:
        lines.append(f"{document['form']}: {escape(document['text'])}")
    if lines:
        lines.append("")
    if arguments.graphemes:
        lines.extend(render_clusters(document["graphemes"]) if document["graphemes"] else [])
    elif arguments.properties:
        lines.extend(render_property_blocks(document["characters"]))
    elif document["characters"]:
        lines.extend(render_table(document["characters"]))
    if document.get("more"):
        lines.append(f"{document['more']} more (see --limit)")
    return lines


def _write(lines):
    """Writes the lines to standard output. A reader that went away (as with `charlore
    ... | head`) ends the output silently; any other failure to write is a CommandError."""
    try:
        sys.stdout.reconfigure(errors="backslashreplace")
        for line in lines:
            sys.stdout.write(line + "\n")
        sys.stdout.flush()
    except OSError as error:
        # What is still buffered goes nowhere, so that the interpreter's last flush at exit
        # does not fail a second time.
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        if isinstance(error, BrokenPipeError):
            raise CommandError(None) from None
        raise CommandError(f"cannot write the output: {error.strerror}") from None


def main(argv=None):
    """Runs the command with argv (default: the process's arguments); returns the exit
    status."""
    arguments = _parser().parse_args(argv)
    try:
        document = _document(arguments)
        if arguments.json:
            lines = [json.dumps(document, ensure_ascii=True, indent=2)]
        else:
            lines = _text_lines(arguments, document)
        _write(lines)
    except CommandError as error:
        if error.args[0] is not None:
            print(f"charlore: {error}", file=sys.stderr)
        return EXIT_USAGE if isinstance(error, UsageError) else EXIT_FAILURE
    except KeyboardInterrupt:
        return EXIT_INTERRUPTED
    return 0
