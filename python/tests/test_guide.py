"""The guide's worked example (docs/python.md): every Python block runs, in order, in one
namespace, so that the page cannot fall behind the module."""

import re
import shutil

import pytest
from conftest import SOURCE

GUIDE = SOURCE / "docs" / "python.md"


def blocks():
    return re.findall(r"^```python\n(.*?)^```$", GUIDE.read_text(), re.S | re.M)


def test_the_guide_has_its_example():
    code = "\n".join(blocks())
    for call in ("zmbr.read(", ".run(", "zmbr.study(", "client=client", "zmbr.plot(", ".write("):
        assert call in code


def test_the_guide_runs(tmp_path, monkeypatch, capsys):
    shutil.copytree(SOURCE / "examples", tmp_path / "examples")
    monkeypatch.chdir(tmp_path)
    monkeypatch.delenv("ZMBR_SCHEDULER", raising=False)
    namespace = {"__name__": "guide"}
    for k, code in enumerate(blocks()):
        try:
            exec(compile(code, f"{GUIDE.name} block {k + 1}", "exec"), namespace)
        except Exception as e:  # name the block that failed
            pytest.fail(f"block {k + 1} of {GUIDE.name}: {type(e).__name__}: {e}")
    out = capsys.readouterr().out
    assert "the same results: True" in out
    assert 'no field "fcc"; close ones: fc' in out
    for made in ("steel_yield_edited.mbr", "steel_yield.TGC", "study/summary.csv",
                 "study/chart.svg", "two_runs.png", "steel_yield_strains.svg"):
        assert (tmp_path / made).stat().st_size > 0, made
