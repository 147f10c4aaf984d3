"""ZMBR from Python: the program's own core, with the same digits.

Panels by the names of the field registry, typed through the parameter sheet's rules; runs
whose result files are byte for byte those of ``zmbr --batch``; studies as ``zmbr --study``
makes them, here or on a dask cluster; and the figures of ``--plot`` drawn with matplotlib.
numpy, pandas, matplotlib and dask are imported only where they are needed.
"""

import numbers as _numbers

from . import _zmbr

__all__ = ["FileError", "Panel", "Row", "Result", "End", "read", "fields", "study", "plot"]


class FileError(OSError):
    """A file that cannot be read or written; the message is the command line's."""


# The registry's entries by name; `mode` is the failure mode's short name.
_FIELDS = {entry["name"]: entry for entry in _zmbr.fields()}
_ALIASES = {"mode": "failureMode"}


def fields():
    """Every field of a panel, in the order of a parameter file: its name, caption, unit,
    the sentence that says what it means, its kind, and whether it is a row's."""
    return [dict(entry) for entry in _zmbr.fields()]


def _no_field(owner, name, per_row):
    import difflib

    names = [n for n, e in _FIELDS.items() if e["per_row"] == per_row]
    close = difflib.get_close_matches(name, names, n=3, cutoff=0.5)
    close += [n for n in names if n.lower() == name.lower() and n not in close]
    where = "a row" if per_row else "a panel"
    words = f'{owner} has no field "{name}"'
    if name in _FIELDS or _ALIASES.get(name) in _FIELDS:
        other = "the panel" if per_row else "each row (p.rows[i])"
        return AttributeError(f'{words}: "{name}" is a field of {other}')
    if close:
        return AttributeError(f"{words}; close ones: {', '.join(close)}")
    return AttributeError(f"{words}; the fields of {where} are {', '.join(names)}")


def _field_text(entry, value):
    """The text a user would type for the value."""
    kind = entry["kind"]
    if kind == "flag":
        return "1" if value else "0"
    if kind in ("text", "choice"):
        if not isinstance(value, str):
            raise ValueError(f'{entry["name"]} = {value!r}: "{value}" is not a text')
        return value
    if isinstance(value, str):
        return value
    if isinstance(value, bool) or not isinstance(value, _numbers.Real):
        raise ValueError(f'{entry["name"]} = {value!r}: "{value}" is not a number')
    if isinstance(value, _numbers.Integral):
        return str(int(value))
    return repr(float(value))


def _type(sheet, entry, element, value):
    text = _field_text(entry, value)
    refusal = sheet.type(entry["name"], element, text)
    if refusal:
        raise ValueError(f'{entry["name"]} = {value!r}: {refusal}')


class Panel:
    """A panel as the parameter window holds it. ``Panel()`` is the window's default panel;
    ``read(path)`` opens a file. Fields go by the registry's names (``p.fc``,
    ``p.rows[0].Ar``); an assignment is typed into the field as a user types it."""

    __slots__ = ("_sheet",)

    def __init__(self):
        object.__setattr__(self, "_sheet", _zmbr.Sheet())

    @classmethod
    def _of(cls, sheet):
        p = cls.__new__(cls)
        object.__setattr__(p, "_sheet", sheet)
        return p

    def __getattr__(self, name):
        entry = _FIELDS.get(_ALIASES.get(name, name))
        if entry is None or entry["per_row"]:
            raise _no_field("Panel", name, False)
        return self._sheet.value(entry["name"], 0)

    def __setattr__(self, name, value):
        entry = _FIELDS.get(_ALIASES.get(name, name))
        if entry is None:
            raise _no_field("Panel", name, False)
        if not entry["per_row"]:
            _type(self._sheet, entry, 0, value)
            return
        # A row field set on the panel goes into every used row, as a study varies it.
        for row in range(self._sheet.used_rows()):
            _type(self._sheet, entry, row, value)

    @property
    def rows(self):
        """The ten rows of the window; rows beyond ``axes`` take no part in a run."""
        return [Row(self, e) for e in range(10)]

    @property
    def used_rows(self):
        return self._sheet.used_rows()

    def text(self, name, row=None):
        """The field's text as the window shows it (``row`` from 0 for a row's field)."""
        entry = _FIELDS.get(_ALIASES.get(name, name))
        if entry is None:
            raise _no_field("Panel", name, row is not None)
        return self._sheet.text(entry["name"], 0 if row is None else row)

    def lines(self):
        """The version-3 parameter file's lines, as text."""
        return self._sheet.lines()

    def write(self, path):
        """Writes the version-3 parameter file, byte for byte what Save writes."""
        failure = self._sheet.write(str(path))
        if failure:
            raise FileError(failure)

    def run(self, progress=None):
        """Runs the panel as Execute does, without holding the GIL. ``progress(step, values)``,
        if given, sees every step with its line's numbers; returning False cancels the run."""
        return Result(self._sheet.run(progress))

    def copy(self):
        return Panel._of(self._sheet.copy())

    def __eq__(self, other):
        return isinstance(other, Panel) and self._sheet.state() == other._sheet.state()

    def __reduce__(self):
        return (_panel_from_state, (self._sheet.state(),))

    def __repr__(self):
        name = self._sheet.file() or "the default panel"
        return f"<zmbr.Panel {name}: {self._sheet.used_rows()} rows, fc {self.fc:g} N/mm²>"


class Row:
    """One reinforcement row of a panel (``p.rows[0]`` is row 1)."""

    __slots__ = ("_panel", "_element")

    def __init__(self, panel, element):
        object.__setattr__(self, "_panel", panel)
        object.__setattr__(self, "_element", element)

    def _entry(self, name):
        entry = _FIELDS.get(_ALIASES.get(name, name))
        if entry is None or not entry["per_row"]:
            raise _no_field(f"Row {self._element + 1}", name, True)
        return entry

    def __getattr__(self, name):
        return self._panel._sheet.value(self._entry(name)["name"], self._element)

    def __setattr__(self, name, value):
        _type(self._panel._sheet, self._entry(name), self._element, value)

    def text(self, name):
        return self._panel._sheet.text(self._entry(name)["name"], self._element)

    def __repr__(self):
        return f"<zmbr.Row {self._element + 1} of {self._panel!r}>"


def _panel_from_state(state):
    return Panel._of(_zmbr.Sheet.from_state(state))


def read(path):
    """Reads a parameter file in any of its three layouts, as Open does. A file that cannot
    be read raises FileError with the words ``zmbr --batch`` prints."""
    sheet, failure = _zmbr.read(str(path))
    if failure:
        raise FileError(failure)
    return Panel._of(sheet)


class End:
    """How a run ended, as the run layer describes it: ``kind`` (failure, step_limit,
    stopped, cancelled, refused, ...), the steps completed, the ruptured rows, the message a
    box would show and the summary table's token."""

    __slots__ = ("kind", "token", "words", "step", "rows", "concrete_ng", "message", "cause")

    def __init__(self, r):
        self.kind = r.end_kind
        self.token = r.end_token
        self.words = r.end_words
        self.step = r.steps_done
        self.rows = r.ruptured_rows
        self.concrete_ng = r.concrete_ng
        self.message = r.message
        self.cause = r.cause

    def __str__(self):
        return self.words

    def __repr__(self):
        return f"<zmbr.End {self.kind} at step {self.step}: {self.words}>"


class Result:
    """A finished run: its end, τxy max and its γxy, the step lines' numbers (``steps``, a
    DataFrame) and the result file's bytes (``write``)."""

    __slots__ = ("_r", "_steps")

    def __init__(self, r):
        self._r = r
        self._steps = None

    @property
    def end(self):
        return End(self._r)

    @property
    def tau_max(self):
        """τxy max as the calculation window shows it at the end (MPa)."""
        return self._r.tau_max

    @property
    def gamma_at_tau_max(self):
        """γxy of the step line with the largest τxy (the first of equals); None without steps."""
        v = self._r.values()
        if not len(v):
            return None
        return float(v[v[:, 0].argmax(), 1])

    @property
    def values(self):
        """The step lines' numbers, one line a row, as a numpy array."""
        return self._r.values()

    @property
    def steps(self):
        """The step lines as a DataFrame: one column per result-file column, holding the
        doubles whose text the file prints; the index is the step. Units in ``.attrs``."""
        if self._steps is None:
            self._steps = _steps_frame(self._r)
        return self._steps

    @property
    def result_file(self):
        """The result file's name, as the run settled it from the panel's file."""
        return self._r.result_file

    @property
    def file_bytes(self):
        """The result file as ``zmbr --batch`` writes it (None where the run made none)."""
        return self._r.file_bytes

    @property
    def rows(self):
        return self._r.rows

    @property
    def seconds(self):
        return self._r.seconds

    def write(self, path=None):
        """Writes the result file, byte for byte what ``zmbr --batch`` writes (date and time
        from SOURCE_DATE_EPOCH where it is set). By default under the run's own name."""
        data = self._r.file_bytes
        target = str(path) if path is not None else self._r.result_file
        if data is None:
            raise FileError(f"zmbr: {target}: the run wrote no result file ({self.end.words})")
        try:
            with open(target, "wb") as f:
                f.write(data)
        except OSError as e:
            raise FileError(f"zmbr: {target}: {e.strerror}") from e

    def plot(self, curve="tau-gamma", ax=None):
        """The figure ``zmbr --plot`` draws of this run's result file."""
        return plot([self], curve=curve, ax=ax)

    def __reduce__(self):
        return (_result_from_state, (self._r.state(),))

    def __repr__(self):
        end = self.end
        name = self._r.result_file
        if not self._r.started:
            return f"<zmbr.Result {name}: not run, {end.words}>"
        return (f"<zmbr.Result {name}: {end.step} steps, {end.words}, "
                f"τxy max {self.tau_max:.3f} MPa>")


def _result_from_state(state):
    return Result(_zmbr.Result.from_state(state))


def _column_names(rows):
    names = ["tauXY", "gammaXY", "eps1", "eps2", "theta"]
    names += [f"epsR{i}" for i in range(1, rows + 1)]
    names += [f"epsRcr{i}" for i in range(1, rows + 1)]
    return names


# The columns of a run with that many rows, their units and the file's titles, made once: a
# frame is built after every run, and a run of the default panel takes half a millisecond.
_COLUMNS = {}
_INDEXES = {}


def _columns(rows):
    if rows not in _COLUMNS:
        import pandas

        names = _column_names(rows)
        units = dict(zip(names, ["MPa", "", "", "", "°"] + [""] * (2 * rows)))
        _COLUMNS[rows] = (pandas.Index(names), units, _zmbr.result_columns(rows))
    return _COLUMNS[rows]


def _steps_frame(r):
    import pandas

    columns, units, titles = _columns(r.rows)
    values = r.values()
    steps = len(values)
    index = _INDEXES.get(steps)
    if index is None:
        index = _INDEXES.setdefault(steps, pandas.RangeIndex(1, steps + 1, name="step"))
    # Views: a frame's index and columns are its own (a name set on one stays there).
    frame = pandas.DataFrame(values, columns=columns.view(), index=index.view(), copy=False)
    frame.attrs["units"] = dict(units)
    frame.attrs["titles"] = titles
    return frame


def study(panel, vary, out=None, client=None, name=None):
    """Every combination of the varied values typed into the panel and run, as
    ``zmbr --study`` does. Returns the summary table as a DataFrame equal to summary.csv;
    ``out`` writes the same files as --study; ``client`` (a dask.distributed Client, or a
    concurrent.futures executor) runs the variants there."""
    from . import _study

    return _study.study(panel, vary, out=out, client=client, name=name)


def plot(results, curve="tau-gamma", ax=None):
    """The runs' result files in one figure, laid out as ``zmbr --plot`` lays it out:
    ``curve`` is "tau-gamma" (τxy against γxy) or "eps1-eps2" (ε2 against ε1)."""
    from . import _plot

    return _plot.plot(results, curve=curve, ax=ax)
