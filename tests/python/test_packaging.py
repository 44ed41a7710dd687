"""Packaging: `python3 -m build --no-isolation` makes an sdist from the committed sources
and builds the wheel from that sdist; the wheel installs offline into a fresh virtual
environment, where the module, its stub, its examples and the command work. With
CHARLORE_DIST set (scripts/wheel), the same tests check the distributions in that
directory instead: the PyPI-built sdist and the repaired manylinux wheel."""
import json
import os
import pathlib
import shutil
import subprocess
import sys
import tarfile
import zipfile

import pytest

ROOT = pathlib.Path(__file__).resolve().parents[2]

# The sdist is made from the git checkout, so a copy without git (a minimal chroot) skips.
pytestmark = [pytest.mark.installed,
              pytest.mark.skipif(shutil.which("git") is None or not (ROOT / ".git").exists(),
                                 reason="the sdist needs git and a git checkout")]

SDIST_MEMBERS = ["pyproject.toml", "meson.build", "README.md", "include/charlore.h",
                 "src/module.cpp", "src/charlore.pyi", "src/charlore_cli/command.py",
                 "src/generated/database_tables.h", "examples/character_types.c"]


@pytest.fixture(scope="module")
def dist(tmp_path_factory):
    """The directory holding the built sdist and wheel."""
    if os.environ.get("CHARLORE_DIST"):
        return pathlib.Path(os.environ["CHARLORE_DIST"])
    directory = tmp_path_factory.mktemp("dist")
    subprocess.run([sys.executable, "-m", "build", "--no-isolation", "--outdir", str(directory),
                    str(ROOT)], check=True, capture_output=True, timeout=1800)
    return directory


def only(directory, pattern):
    found = list(directory.glob(pattern))
    assert len(found) == 1, found
    return found[0]


def test_sdist_has_the_sources_and_nothing_local(dist):
    with tarfile.open(only(dist, "charlore-*.tar.gz")) as sdist:
        names = {name.split("/", 1)[1] for name in sdist.getnames() if "/" in name}
    assert set(SDIST_MEMBERS) <= names
    assert not [n for n in names if n.startswith((".venv/", "build/")) or n.endswith("UnicodeData.txt")]


def test_wheel_has_module_stub_and_command(dist):
    with zipfile.ZipFile(only(dist, "charlore-*.whl")) as wheel:
        names = set(wheel.namelist())
        entry_points = next(wheel.read(n).decode() for n in names if n.endswith("entry_points.txt"))
    assert [n for n in names if n.startswith("charlore.cpython-") and n.endswith(".so")]
    assert {"charlore.pyi", "charlore_cli/__init__.py", "charlore_cli/__main__.py"} <= names
    assert "charlore = charlore_cli:main" in entry_points


@pytest.fixture(scope="module")
def fresh(dist, tmp_path_factory):
    """A new virtual environment, without the system's packages, with the wheel installed."""
    environment = tmp_path_factory.mktemp("fresh") / "venv"
    subprocess.run([sys.executable, "-m", "venv", str(environment)], check=True, timeout=300)
    subprocess.run([str(environment / "bin" / "python"), "-m", "pip", "install", "--quiet",
                    "--no-index", "--no-deps", str(only(dist, "charlore-*.whl"))],
                   check=True, capture_output=True, timeout=300)
    return environment / "bin"


def test_installed_wheel_answers(fresh):
    smoke = ("import charlore, pathlib, sys;"
             "assert pathlib.Path(charlore.__file__).is_relative_to(sys.prefix), charlore.__file__;"
             "assert charlore.unidata_version == '18.0.0';"
             "assert charlore.category('A') == 'Lu' and charlore.ucd_3_2_0.category('\\u00ad') == 'Pd';"
             "assert pathlib.Path(charlore.__file__).with_name('charlore.pyi').is_file();"
             "print('ok')")
    done = subprocess.run([str(fresh / "python"), "-c", smoke], capture_output=True, text=True, timeout=60)
    assert done.stdout == "ok\n", done.stderr


def test_installed_command_runs(fresh):
    done = subprocess.run([str(fresh / "charlore"), "--json", "--ucd", "3.2.0"], input=b"",
                          capture_output=True, timeout=60)
    assert done.returncode == 0 and json.loads(done.stdout)["unidata_version"] == "3.2.0"
    done = subprocess.run([str(fresh / "python"), "-m", "charlore_cli", "--help"],
                          capture_output=True, timeout=60)
    assert done.returncode == 0 and b"--lookup" in done.stdout


def test_installed_wheel_gives_the_readme_examples(fresh):
    # Every query of both databases, as the README shows them, from the wheel alone.
    examples = ("import doctest, sys;"
                f"failed, tried = doctest.testfile({str(ROOT / 'README.md')!r}, module_relative=False,"
                " optionflags=doctest.ELLIPSIS);"
                "sys.exit(failed > 0 or tried < 25)")
    done = subprocess.run([str(fresh / "python"), "-c", examples], capture_output=True, text=True,
                          cwd=fresh, timeout=120)
    assert done.returncode == 0, done.stdout + done.stderr
