"""Studies: the variants typed and saved as --study makes them, run here, on an executor's
threads or on a dask cluster, and the summary table and files of --study."""

import functools
import io
import os
import warnings

from . import _zmbr
from . import Panel, Result, _field_text


def _run_variant(panel, epoch=None):
    """One variant's run, wherever it goes: a module-level function, so that it pickles. The
    result file is dated by the study's SOURCE_DATE_EPOCH, not by the worker's."""
    r = panel._sheet.run(None, epoch)
    r.read_back()  # here, so that the summary does not read every file in turn
    return Result(r)


def _value_texts(name, values):
    entry = {"name": name, "kind": "number"}  # a study varies numbers only
    if isinstance(values, (str, bytes)) or not hasattr(values, "__iter__"):
        values = [values]
    return [_field_text(entry, v) for v in values]


def _run_chunk(panels, epoch=None):
    return [_run_variant(p, epoch) for p in panels]


def _chunks(items, workers):
    """About four pieces a worker, in order: a variant runs in a millisecond or so, less than
    what handing a task to a worker costs."""
    count = max(1, min(len(items), 4 * workers))
    size, extra = divmod(len(items), count)
    pieces, start = [], 0
    for k in range(count):
        end = start + size + (1 if k < extra else 0)
        pieces.append(items[start:end])
        start = end
    return pieces


def _run_all(variants, client):
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    run = functools.partial(_run_chunk, epoch=epoch)
    if client is None:
        return run(variants)
    from concurrent.futures import Executor

    if isinstance(client, Executor):
        workers = getattr(client, "_max_workers", None) or os.cpu_count() or 1
        return [r for piece in client.map(run, _chunks(variants, workers)) for r in piece]
    # A dask.distributed Client: the variants and their results travel pickled.
    workers = sum(client.nthreads().values()) or 1
    futures = client.map(run, _chunks(variants, workers), pure=False)
    return [r for piece in client.gather(futures) for r in piece]


def _prepare_folder(out):
    os.makedirs(out, exist_ok=True)
    for old in ("summary.csv", "chart.svg", "chart.png", "report.pdf"):
        try:
            os.remove(os.path.join(out, old))
        except FileNotFoundError:
            pass


def _write_whole(path, data):
    partial = path + ".zmbr-partial"
    with open(partial, "wb") as f:
        f.write(data)
        f.flush()
        os.fsync(f.fileno())
    os.replace(partial, path)


def study(panel, vary, out=None, client=None, name=None):
    import pandas

    if not isinstance(panel, Panel):
        raise TypeError("study() takes a zmbr.Panel")
    file = name or panel._sheet.file() or "default.mbr"
    texts = [(n, _value_texts(n, values)) for n, values in vary.items()]
    plan = _zmbr.StudyPlan(panel._sheet, file, texts, "" if out is None else str(out))
    for note in plan.notes:
        warnings.warn(note, stacklevel=3)
    variants = [Panel._of(plan.variant(k)) for k in range(len(plan))]
    if out is not None:
        out = str(out)
        _prepare_folder(out)
        for k, path in enumerate(plan.paths):
            _write_whole(path, plan.file_bytes(k))
    results = list(_run_all(variants, client))
    if not all(isinstance(r, Result) for r in results):
        raise TypeError("the client returned something that is not a run's result")
    table = plan.summary([r._r for r in results])
    if out is not None:
        for r in results:
            if r.file_bytes is not None:
                r.write()
        _write_whole(os.path.join(out, "summary.csv"), table)
        from . import _plot

        _plot.study_chart(plan.figure([r._r for r in results]), os.path.join(out, "chart.svg"),
                          os.path.join(out, "chart.png"))
    frame = pandas.read_csv(io.BytesIO(table))
    frame.attrs["results"] = results
    return frame
