"""Panels by the registry's names: assignments typed through the parameter sheet's rules,
the files they save, and the words of bad input."""

import pickle

import pytest
import zmbr
from conftest import EXAMPLES, program

# (field, row from 1 or None, value, the field's text afterwards): the window's limits and
# display patterns.
ASSIGNMENTS = [
    ("fc", None, -30, "-30.00"),
    ("fc", None, "-30", "-30.00"),
    ("fc", None, -30.456, "-30.46"),
    ("fc", None, 5, "0.00"),  # a compression: nothing above 0
    ("epsC", None, -0.002, "-0.0020"),
    ("t", None, -3, "0.00"),  # nothing below 0
    ("t", None, "1.5e2", "150.00"),
    ("Ec", None, 30000.4, "30000"),
    ("tauBy", None, 4.256, "4.26"),
    ("sBy", None, 0.1, "0.1000"),
    ("axes", None, 12, "10"),  # 1 to 10 rows
    ("axes", None, 0, "1"),
    ("axes", None, 2.5, "2.5"),  # shown as plain number text after an edit
    ("layer", None, 0, "1"),  # at least one mat
    ("initialTheta", None, 200, "180.00"),  # an angle: 0 to 180
    ("initialTheta", None, -5, "0.00"),
    ("thetaR", 1, 200, "180.0"),
    ("thetaR", 1, 45.04, "45.0"),
    ("Ar", 1, 50, "50.000"),
    ("Ar", 1, "  7.5 ", "7.500"),
    ("s", 1, 125.555, "125.56"),
    ("fru", 1, 1800.5, "1801"),
    ("Er", 1, 200000, "200000"),
    ("mode", 1, "yield", "yield"),
    ("failureMode", 1, "rupture", "rupture"),
    ("comment", None, "a panel, typed", "a panel, typed"),
]


@pytest.mark.parametrize("name, row, value, text", ASSIGNMENTS)
def test_assignment_is_typed_into_the_sheet(name, row, value, text):
    p = zmbr.Panel()
    if row is None:
        setattr(p, name, value)
        assert p.text(name) == text
    else:
        setattr(p.rows[row - 1], name, value)
        assert p.rows[row - 1].text(name) == text


def test_value_is_the_number_the_text_stands_for():
    p = zmbr.Panel()
    p.fc = -30.456
    # Leaving the field shows two decimals, and the value follows the text shown.
    assert p.fc == pytest.approx(-30.46, abs=1e-5)
    p.rows[0].Ar = 50
    assert p.rows[0].Ar == 50.0
    p.option = True
    assert p.option is True


def test_row_field_fills_down_the_used_rows_as_the_window_does():
    p = zmbr.Panel()
    p.axes = 3
    p.rows[0].Ar = 77
    assert [p.rows[e].text("Ar") for e in range(4)] == ["77.000", "77.000", "77.000", ""]
    p.rows[1].s = 99
    assert [p.rows[e].text("s") for e in range(3)][1:] == ["99.00", "99.00"]


def test_fewer_axes_clear_the_rows_beyond():
    p = zmbr.Panel()
    p.axes = 4
    p.rows[0].Ar = 10
    p.axes = 2
    assert p.rows[2].text("Ar") == "" and p.rows[1].text("Ar") == "10.000"


def test_row_field_on_the_panel_goes_into_every_used_row():
    p = zmbr.Panel()
    p.axes = 2
    p.Ar = 12
    assert [p.rows[e].Ar for e in range(2)] == [12.0, 12.0]


def test_a_value_set_from_python_runs_as_the_typed_text():
    a, b = zmbr.Panel(), zmbr.Panel()
    a.fc = -27.5
    b.fc = "-27.50"
    assert a.lines() == b.lines()
    assert a.run().file_bytes == b.run().file_bytes


def test_fields_have_units_and_sentences():
    fields = zmbr.fields()
    by_name = {f["name"]: f for f in fields}
    assert by_name["fc"]["unit"] == "N/mm²"
    assert by_name["Ar"]["per_row"] and by_name["Ar"]["unit"] == "mm²"
    assert all(f["meaning"].endswith(".") for f in fields)
    p = zmbr.Panel()
    for f in fields:  # every field is reachable by its name
        owner = p.rows[0] if f["per_row"] else p
        getattr(owner, f["name"])


@pytest.mark.parametrize("name, close", [("fcc", "fc"), ("Fc", "fc"), ("epsc", "epsC"),
                                         ("thickness", "")])
def test_unknown_field_names_the_close_ones(name, close):
    p = zmbr.Panel()
    with pytest.raises(AttributeError, match=f'no field "{name}"') as e:
        getattr(p, name)
    assert close in str(e.value)
    with pytest.raises(AttributeError):
        setattr(p, name, 1)


def test_unknown_row_field_names_the_close_ones():
    row = zmbr.Panel().rows[0]
    with pytest.raises(AttributeError, match="Ar"):
        row.Arr = 3
    with pytest.raises(AttributeError, match="field of the panel"):
        row.fc


@pytest.mark.parametrize("value", ["abc", "", "1,5", "nan", float("inf"), None, [1], True])
def test_not_a_number_is_refused_and_leaves_the_panel(value):
    p = zmbr.Panel()
    before = p.lines()
    with pytest.raises(ValueError, match="is not a number"):
        p.fc = value
    with pytest.raises(ValueError, match="is not a number"):
        p.rows[0].Ar = value
    assert p.lines() == before


@pytest.mark.parametrize("name", EXAMPLES)
def test_write_is_what_save_writes(folder, name):
    zmbr.read(name).write("python.mbr")
    assert program("--convert", name, "program.mbr", cwd=folder)[0] == 0
    assert (folder / "python.mbr").read_bytes() == (folder / "program.mbr").read_bytes()


def test_edited_panel_saves_as_the_program_saves_it(folder):
    p = zmbr.read("steel_yield.mbr")
    p.fc = -33.3
    p.rows[0].mode = "yield"
    p.comment = "edited: ω, 応力"
    p.write("edited.mbr")
    assert program("--convert", "edited.mbr", "again.mbr", cwd=folder)[0] == 0
    assert (folder / "edited.mbr").read_bytes() == (folder / "again.mbr").read_bytes()
    assert zmbr.read("edited.mbr").lines() == p.lines()


def test_unreadable_file_raises_with_the_batch_words(folder):
    (folder / "bad.mbr").write_bytes(b"Created by ZMBR3\r\nx\r\n")
    for name in ["missing.mbr", "bad.mbr", "."]:
        status, _, err = program("--batch", name, cwd=folder)
        assert status == 2
        with pytest.raises(zmbr.FileError) as e:
            zmbr.read(name)
        assert str(e.value) == err.strip()


def test_failed_save_raises_file_error(folder):
    with pytest.raises(zmbr.FileError, match="Error. Try again."):
        zmbr.Panel().write(folder / "no" / "such" / "folder.mbr")


def test_panel_pickles_whole():
    p = zmbr.read(f"{__import__('conftest').SOURCE}/examples/ten_rows.mbr")
    p.axes = "3.7"
    q = pickle.loads(pickle.dumps(p))
    assert q == p and q.lines() == p.lines() and q.axes == p.axes
    assert q.run().file_bytes == p.run().file_bytes
