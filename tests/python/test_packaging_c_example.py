"""The C example examples/character_types.c, compiled as C and as C++ against
include/charlore.h, linked against the installed module file and run: both builds agree
and give the values the character-type functions are known to have."""
import pathlib
import shutil
import subprocess
import sysconfig

import pytest

import charlore

pytestmark = [pytest.mark.installed,
              pytest.mark.skipif(shutil.which("cc") is None or shutil.which("c++") is None,
                                 reason="needs a C and a C++ compiler (cc, c++)")]

ROOT = pathlib.Path(__file__).resolve().parents[2]
EXAMPLE = ROOT / "examples" / "character_types.c"
MODULE = pathlib.Path(charlore.__file__)

CASES = [
    # code point in hexadecimal, fields of its line ("is" lists predicates that must hold,
    # "not" predicates that must not)
    ("41", {"is": "alpha,upper,cased,printable,xid_start", "not": "lower,numeric",
            "lower": "0061", "title": "0041", "decimal": "-1", "numeric": "-1"}),
    ("30", {"is": "decimal,digit,numeric,printable,xid_continue", "not": "alpha,xid_start",
            "decimal": "0", "digit": "0", "numeric": "0"}),
    ("B2", {"is": "digit,numeric", "not": "decimal", "digit": "2", "decimal": "-1", "numeric": "2"}),
    ("BD", {"numeric": "0.5", "digit": "-1"}),
    ("F33", {"numeric": "-0.5"}),
    ("4EAC", {"numeric": "1e+16"}),
    ("20", {"is": "printable,whitespace", "not": "linebreak"}),
    ("1F", {"is": "whitespace", "not": "linebreak,printable"}),
    ("2028", {"is": "whitespace,linebreak", "not": "printable"}),
    ("DF", {"is": "alpha,lower,cased", "upper": "0053", "title": "0053", "lower": "00DF",
            "upper_full": "0053+0053", "title_full": "0053+0073", "lower_full": "00DF",
            "folded_full": "0073+0073"}),
    ("130", {"is": "upper", "lower": "0069", "lower_full": "0069+0307", "upper_full": "0130",
             "folded_full": "0069+0307"}),
    ("FB01", {"upper_full": "0046+0049", "title_full": "0046+0069", "lower_full": "FB01",
              "folded_full": "0066+0069"}),
    ("1F80", {"upper": "1F08", "title": "1F88", "upper_full": "1F08+0399", "title_full": "1F88"}),
    ("345", {"is": "lower,cased,case_ignorable", "not": "alpha", "upper": "0399",
             "folded_full": "03B9"}),
    ("1C5", {"is": "title,cased", "not": "upper,lower", "upper": "01C4", "lower": "01C6"}),
    ("D800", {"is": "", "decimal": "-1", "upper": "D800"}),
    ("110000", {"is": "", "digit": "-1", "numeric": "-1", "upper": "110000",
                "folded_full": "110000"}),
    ("FFFFFFFF", {"is": "", "lower": "FFFFFFFF", "title_full": "FFFFFFFF"}),
]


def build(tmp_path, compiler, language):
    """Compiles and links the example; returns the program's path."""
    program = tmp_path / f"character_types_{language}"
    python_library = "python" + sysconfig.get_config_var("LDVERSION")
    command = [compiler, "-x", language, "-Wall", "-Wextra", "-Werror", str(EXAMPLE), "-x", "none",
               f"-I{ROOT / 'include'}", f"-I{sysconfig.get_paths()['include']}",
               f"-L{MODULE.parent}", f"-l:{MODULE.name}", f"-Wl,-rpath,{MODULE.parent}",
               f"-L{sysconfig.get_config_var('LIBDIR')}", f"-l{python_library}",
               "-o", str(program)]
    subprocess.run(command, check=True, capture_output=True, timeout=300)
    return program


@pytest.fixture(scope="module")
def programs(tmp_path_factory):
    directory = tmp_path_factory.mktemp("c_example")
    return [build(directory, "cc", "c"), build(directory, "c++", "c++")]


def parse(line):
    code_point, *fields = line.split(" ")
    return code_point, dict(field.split("=", 1) for field in fields)


def test_c_and_cpp_builds_give_the_known_values(programs):
    outputs = [subprocess.run([str(p), *(hex_ for hex_, _ in CASES)], capture_output=True,
                              text=True, check=True, timeout=60).stdout for p in programs]
    assert outputs[0] == outputs[1]
    lines = outputs[0].splitlines()
    assert len(lines) == len(CASES)
    for (hex_, expected), line in zip(CASES, lines):
        code_point, fields = parse(line)
        assert code_point == f"U+{int(hex_, 16):04X}"
        holding = set(filter(None, fields["is"].split(",")))
        for key, value in expected.items():
            if key == "is":
                assert set(filter(None, value.split(","))) <= holding if value else not holding, line
            elif key == "not":
                assert not set(value.split(",")) & holding, line
            elif key == "numeric":
                assert float(fields[key]) == float(value), line
            else:
                assert fields[key] == value, line


def test_bad_code_point_is_refused(programs):
    done = subprocess.run([str(programs[0]), "41", "G1"], capture_output=True, text=True, timeout=60)
    assert done.returncode == 2 and "G1" in done.stderr
