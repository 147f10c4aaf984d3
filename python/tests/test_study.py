"""Studies: the summary table and files of --study, on threads as in one, and the words of
bad names and values."""

from concurrent.futures import ThreadPoolExecutor

import pandas
import pytest
import zmbr
from conftest import program

VARY = {"Ar": range(25, 301, 25), "fc": [-24, -30, -36]}
CLI_VARY = ["--vary", "Ar=25:300:25", "--vary", "fc=-24:-36:-6"]


@pytest.fixture
def both(folder):
    """The study made by the module in py/ and by the program in cli/."""
    frame = zmbr.study(zmbr.read("steel_yield.mbr"), VARY, out="py")
    status, _, _ = program("--study", "steel_yield.mbr", *CLI_VARY, "--out", "cli", cwd=folder)
    assert status == 0
    return frame, folder


def test_summary_equals_the_program_table(both):
    frame, folder = both
    table = pandas.read_csv(folder / "cli" / "summary.csv")
    assert len(frame) == 36 and list(frame.columns) == list(table.columns)
    for column in ("file", "result_file"):
        table[column] = table[column].str.replace("cli/", "py/", regex=False)
    pandas.testing.assert_frame_equal(frame, table)
    assert frame.equals(pandas.read_csv(folder / "py" / "summary.csv"))


def test_out_writes_the_program_files(both):
    frame, folder = both
    py, cli = folder / "py", folder / "cli"
    assert sorted(p.name for p in py.iterdir()) == sorted(p.name for p in cli.iterdir())
    for mine in sorted(py.glob("*.mbr")) + sorted(py.glob("*.TGC")):
        theirs = (cli / mine.name).read_bytes().replace(b"cli/", b"py/")
        assert mine.read_bytes() == theirs, mine.name
    # summary.csv: the same bytes, the folder's name aside.
    assert (py / "summary.csv").read_bytes() == (cli / "summary.csv").read_bytes().replace(
        b"cli/", b"py/")


def test_without_out_the_study_writes_nothing(folder):
    frame = zmbr.study(zmbr.read("one_row.mbr"), {"t": [100, 150]})
    assert list(frame["file"]) == ["one_row-1.mbr", "one_row-2.mbr"]
    assert list(frame["t"]) == [100, 150]
    assert sorted(p.name for p in folder.iterdir() if not p.name.endswith(".mbr")) == []
    assert [r.end.token for r in frame.attrs["results"]] == list(frame["end"])


def test_threads_give_the_local_results(folder):
    p = zmbr.read("steel_yield.mbr")
    local = zmbr.study(p, {"Ar": [50, 100, 150], "t": [80, 120]})
    with ThreadPoolExecutor(2) as pool:
        threads = zmbr.study(p, {"Ar": [50, 100, 150], "t": [80, 120]}, client=pool)
    pandas.testing.assert_frame_equal(local, threads)
    assert [r.file_bytes for r in local.attrs["results"]] == [
        r.file_bytes for r in threads.attrs["results"]]


def test_a_row_of_its_own(folder):
    frame = zmbr.study(zmbr.read("ten_rows.mbr"), {"Ar.2": [10, 20]}, out="rows")
    status, _, _ = program("--study", "ten_rows.mbr", "--vary", "Ar.2=10:20:10", "--out", "cli",
                           cwd=folder)
    assert status == 0
    for k in (1, 2):
        assert (folder / f"rows/ten_rows-{k}.mbr").read_bytes() == (
            folder / f"cli/ten_rows-{k}.mbr").read_bytes()


@pytest.mark.parametrize("vary, words", [
    ({"Xr": [1]}, '"Xr" is not a name to vary; the names are'),
    ({"comment": [1]}, '"comment" is not a name to vary'),
    ({"Ar": ["abc"]}, '"abc" is not a number'),
    ({"Ar": [1], "Ar.1": [2]}, "varies the same field already"),
    ({"Ar.9": [1]}, "the panel uses rows 1 to"),
])
def test_bad_names_and_values_are_refused(vary, words):
    p = zmbr.Panel()
    p.axes = 2
    with pytest.raises(ValueError, match=words):
        zmbr.study(p, vary)


def test_a_stored_value_other_than_the_typed_one_is_noted():
    with pytest.warns(UserWarning, match=r"initialTheta = 210 is stored as 180.00"):
        zmbr.study(zmbr.Panel(), {"initialTheta": [210]})


@pytest.mark.parametrize("vary", [{"t": [100, 150]}, {"Ar": [50, 100], "t": [80, 100, 120, 140,
                                                                            160, 180, 200, 220,
                                                                            240]}])
def test_the_chart_is_drawn_as_curves_or_as_a_map(folder, vary):
    zmbr.study(zmbr.read("one_row.mbr"), vary, out="chart")
    assert (folder / "chart" / "chart.svg").read_text().count("<svg") == 1
    assert (folder / "chart" / "chart.png").read_bytes().startswith(b"\x89PNG")
