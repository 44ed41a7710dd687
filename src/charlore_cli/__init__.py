"""The `charlore` command: what the Unicode Character Database says about each character
of a text, as an aligned table or as JSON."""
from charlore_cli.command import main

__all__ = ["main"]
