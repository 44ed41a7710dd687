"""The command examples of README.md print exactly what the README shows: each `$ ...`
line of a code block is run by the shell, with the installed `charlore` first on PATH,
and its output (standard output and error as a terminal shows them) must equal the lines
below it, up to the next `$ ` line or the end of the block."""
import os
import pathlib
import subprocess

import pytest

from cli_support import COMMAND

pytestmark = pytest.mark.installed

README = pathlib.Path(__file__).resolve().parents[2] / "README.md"
FENCE = "```"
PROMPT = "$ "


def command_examples(text):
    """(line number, command, expected output) of every `$ ` line inside a code block."""
    examples, inside, current = [], False, None
    for number, line in enumerate(text.splitlines(), start=1):
        if line.startswith(FENCE):
            inside = not inside
            current = None
        elif inside and line.startswith(PROMPT):
            current = (number, line[len(PROMPT):], [])
            examples.append(current)
        elif inside and current is not None:
            current[2].append(line)
    return [(number, command, "".join(line + "\n" for line in lines)) for number, command, lines in examples]


EXAMPLES = command_examples(README.read_text(encoding="utf-8"))


def test_the_readme_has_command_examples():
    assert len(EXAMPLES) >= 10
    assert all("charlore" in command for _, command, _ in EXAMPLES)


@pytest.mark.parametrize("number, command, expected", EXAMPLES, ids=[f"line {n}" for n, _, _ in EXAMPLES])
def test_readme_command_example(number, command, expected):
    environment = dict(os.environ, PATH=f"{COMMAND.parent}{os.pathsep}{os.environ.get('PATH', '')}")
    done = subprocess.run(["sh", "-c", command], stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          env=environment, timeout=120)
    assert done.stdout.decode("utf-8") == expected, f"README.md line {number}: {command}"
