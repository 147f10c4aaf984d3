"""What the module's tests share: the program they compare with, the examples, and a folder
of their own for each test with the examples copied in."""

import os
import shutil
import subprocess
from pathlib import Path

import pytest

SOURCE = Path(os.environ.get("ZMBR_SOURCE_DIR", Path(__file__).resolve().parents[2]))
PROGRAM = os.environ.get("ZMBR_PROGRAM", str(SOURCE / "build" / "zmbr"))
PANELS = os.environ.get("ZMBR_PANELS", str(SOURCE / "build/tools/panelgen/zmbr_random_panels"))
EXAMPLES = sorted(p.name for p in (SOURCE / "examples").glob("*.mbr"))
# One moment for every result file, so that the program's and the module's are comparable.
EPOCH = "1700000000"


@pytest.fixture(autouse=True)
def fixed_date(monkeypatch):
    monkeypatch.setenv("SOURCE_DATE_EPOCH", EPOCH)


@pytest.fixture
def folder(tmp_path, monkeypatch):
    """A scratch folder holding the examples, made the current one."""
    for name in EXAMPLES:
        shutil.copy(SOURCE / "examples" / name, tmp_path / name)
    monkeypatch.chdir(tmp_path)
    return tmp_path


def program(*args, cwd=None):
    """The command line's run: its exit status, stdout and stderr."""
    env = dict(os.environ, SOURCE_DATE_EPOCH=EPOCH)
    p = subprocess.run([PROGRAM, *args], cwd=cwd, env=env, capture_output=True, text=True)
    return p.returncode, p.stdout, p.stderr
