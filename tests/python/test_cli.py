"""The installed `charlore` command, run as a subprocess: its usage errors and refusals of
undecodable input (one line on standard error, non-zero status, nothing on standard
output), its help, and empty input."""
import json
import subprocess
import sys

import pytest

import charlore
from cli_support import COMMAND, one_error_line, run

pytestmark = pytest.mark.installed

USAGE_ERRORS = [
    # arguments, text the error line must contain
    (["--form", "nfc", "x"], "'nfc'"),
    (["--form", "NFX", "x"], "'NFX'"),
    (["--form"], "--form"),
    (["--ucd", "9.0.0", "x"], "'9.0.0'"),
    (["--ucd", "3.2", "x"], "'3.2'"),
    (["--colour", "x"], "--colour"),
]


@pytest.mark.parametrize("arguments, mentioned", USAGE_ERRORS)
def test_usage_errors(arguments, mentioned):
    done = run(*arguments)
    line = one_error_line(done)
    assert done.returncode == 2 and mentioned in line and done.stdout == b""


UNDECODABLE_INPUT = [
    # arguments, standard input, text the error line must contain
    ([], b"ab\xffc", "byte 0xFF at offset 2"),
    ([], b"\xc3", "byte 0xC3 at offset 0"),             # cut short
    ([], b"\xed\xa0\x80", "byte 0xED at offset 0"),     # an encoded surrogate
    (["--lookup"], b"SPACE\n\x80\n", "byte 0x80 at offset 6"),
    (["--json"], b"\xfe", "byte 0xFE at offset 0"),
    ([b"ok", b"a\xffb"], b"", "argument 2"),
    ([b"--lookup", b"\xe9"], b"", "argument 1"),
]


@pytest.mark.parametrize("arguments, stdin, mentioned", UNDECODABLE_INPUT)
def test_undecodable_input(arguments, stdin, mentioned):
    done = run(*arguments, stdin=stdin)
    line = one_error_line(done)
    assert done.returncode == 1 and mentioned in line and done.stdout == b""
    assert b"Traceback" not in done.stderr


def test_help_names_every_option():
    done = run("--help")
    assert done.returncode == 0 and done.stderr == b""
    for option in (b"--form", b"--lookup", b"--ucd", b"--json", b"NFKD", b"3.2.0", b"--search",
                   b"--range", b"--limit", b"--graphemes", b"--width", b"--properties"):
        assert option in done.stdout


@pytest.mark.parametrize("stdin", [b"", b"\n", b"\r\n"])
def test_empty_text_prints_nothing(stdin):
    done = run(stdin=stdin)
    assert (done.returncode, done.stdout, done.stderr) == (0, b"", b"")


@pytest.mark.parametrize("version", [charlore.unidata_version, charlore.ucd_3_2_0.unidata_version])
def test_empty_text_as_json(version):
    done = run("--json", "--ucd", version, stdin=b"")
    assert done.returncode == 0
    assert json.loads(done.stdout) == {"unidata_version": version, "text": "", "characters": []}


def test_module_entry_point_is_the_same_command():
    via_module = subprocess.run([sys.executable, "-m", "charlore_cli", "--form", "bogus"],
                                capture_output=True, timeout=60)
    via_script = subprocess.run([str(COMMAND), "--form", "bogus"], capture_output=True, timeout=60)
    assert via_module.returncode == via_script.returncode == 2
    assert via_module.stderr == via_script.stderr


def test_unwritable_output_is_one_line():
    with open("/dev/full", "wb") as full:
        done = subprocess.run([str(COMMAND), "--json"], input=b"", stdout=full,
                              stderr=subprocess.PIPE, timeout=60)
    line = one_error_line(done)
    assert done.returncode == 1 and "cannot write the output" in line

