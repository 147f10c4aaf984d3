"""The program's figures drawn with matplotlib: the result files' curves as --plot lays them
out, and a study's chart. The axes' ends, ticks and tick labels and the marks of how each run
ended come from the core (its figure scales); only the painting is matplotlib's."""

import math

from . import _zmbr

# The figure's size in logical pixels, its curve colours (the first in the graph windows'
# black) and line styles, and the grid's grey: those of the program's figures.
_WIDTH, _HEIGHT = 800, 520
_COLOURS = ["#000000", "#d62728", "#1f77b4", "#2ca02c", "#ff7f0e", "#9467bd", "#8c564b",
            "#e377c2", "#7f7f7f", "#17becf"]
_STYLES = ["-", "--", ":", "-."]
_GRID = "#dedede"
# Hollow marks: a circle for crushed concrete, a triangle for a rupture, a square for the
# step limit, a cross for a run that stopped.
_MARKS = {"concrete NG": "o", "rupture": "^", "step limit": "s", "stopped": "x"}

_CURVES = {
    "tau-gamma": ("τ-γ", "gamma", "tau", "γxy", "τxy (MPa)", False),
    "eps1-eps2": ("ε1-ε2", "eps1", "eps2", "ε1", "ε2", True),
}


def _style(i):
    return _COLOURS[i % len(_COLOURS)], _STYLES[(i // len(_COLOURS)) % len(_STYLES)]


def _figure(ax):
    import matplotlib

    if ax is not None:
        return ax.figure, ax
    # Off screen unless a backend was chosen already (a notebook's, say).
    if "matplotlib.pyplot" not in __import__("sys").modules and not __import__("os").environ.get(
            "MPLBACKEND"):
        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, ax = plt.subplots(figsize=(_WIDTH / 100, _HEIGHT / 100), dpi=100)
    return fig, ax


def _range(series):
    values = [v for s in series for v in s]
    if not values:
        return 0.0, 0.0
    return min(values), max(values)


def _axis(ax, which, scale, negative_up=False):
    lim = (scale["low"], scale["high"])
    if which == "x":
        ax.set_xlim(*lim)
        ax.set_xticks(scale["ticks"], scale["labels"])
    else:
        ax.set_ylim(*(reversed(lim) if negative_up else lim))
        ax.set_yticks(scale["ticks"], scale["labels"])


def _draw(ax, title, x_title, y_title, curves, x_scale, y_scale, negative_up=False,
          legend_title=None):
    """curves: (label, xs, ys, marks) with one mark name (or "") per point."""
    ax.grid(True, color=_GRID, linewidth=1)
    ax.set_axisbelow(True)
    _axis(ax, "x", x_scale)
    _axis(ax, "y", y_scale, negative_up)
    ax.set_xlabel(x_title)
    ax.set_ylabel(y_title)
    if title:
        ax.set_title(title, fontweight="bold")
    used = []
    handles = []
    for i, (label, xs, ys, marks) in enumerate(curves):
        colour, style = _style(i)
        (line,) = ax.plot(xs, ys, color=colour, linestyle=style, linewidth=1, label=label)
        handles.append(line)
        for x, y, m in zip(xs, ys, marks):
            if m:
                ax.plot([x], [y], marker=_MARKS[m], markersize=9, markerfacecolor="white",
                        markeredgecolor=colour, markeredgewidth=1.2, linestyle="none")
                if m not in used:
                    used.append(m)
    for m in ("concrete NG", "rupture", "step limit", "stopped"):
        if m in used:
            (h,) = ax.plot([], [], marker=_MARKS[m], markersize=9, markerfacecolor="white",
                           markeredgecolor="black", linestyle="none", label=m)
            handles.append(h)
    ax.legend(handles=handles, title=legend_title, loc="upper left", bbox_to_anchor=(1.02, 1),
              frameon=False)
    ax.figure.tight_layout()


def plot(results, curve="tau-gamma", ax=None):
    if curve not in _CURVES:
        raise ValueError(f'curve "{curve}": the curves are {", ".join(_CURVES)}')
    title, xk, yk, x_title, y_title, negative_up = _CURVES[curve]
    if not isinstance(results, (list, tuple)):
        results = [results]
    drawn = []
    for r in results:
        c = r._r.plot_curve()
        marks = [""] * len(c[xk])
        if c["mark"]:
            marks[-1] = c["mark"]
        drawn.append((r.result_file, c[xk], c[yk], marks))
    x_low, x_high = _range([d[1] for d in drawn])
    y_low, y_high = _range([d[2] for d in drawn])
    x_scale = _zmbr.axis_scale(x_low, x_high, True)
    y_scale = _zmbr.axis_scale(y_low, y_high, True)
    fig, ax = _figure(ax)
    _draw(ax, title, x_title, y_title, drawn, x_scale, y_scale, negative_up)
    return fig


def _number(text):
    return float(text.replace("D", "E").replace("d", "e"))


def _cell_edges(values):
    """Halfway between neighbours, and half a spacing beyond the first and the last (one unit
    around a single value)."""
    if len(values) == 1:
        return [values[0] - 0.5, values[0] + 0.5]
    inner = [(a + b) / 2 for a, b in zip(values, values[1:])]
    return [values[0] - (inner[0] - values[0])] + inner + [values[-1] + (values[-1] - inner[-1])]


def _scale_within(edges, values):
    """The core's ticks for the values, those within the cells' edges."""
    s = _zmbr.axis_scale(values[0], values[-1], False)
    low, high = edges[0], edges[-1]
    room = 1e-9 * (high - low)
    kept = [(t, label) for t, label in zip(s["ticks"], s["labels"])
            if low - room <= t <= high + room]
    return dict(s, low=low, high=high, ticks=[t for t, _ in kept], labels=[l for _, l in kept])


def _study_map(fig, ax, data, file):
    """τxy max over the first two names as coloured cells; the commonest end unmarked."""
    from collections import Counter

    g, captions = data["grid"], data["captions"]
    xs, ys = g["xs"], g["ys"]
    x_edges, y_edges = _cell_edges(xs), _cell_edges(ys)
    values = [[math.nan if c[0] is None else c[0] for c in g["cells"][j * len(xs):(j + 1) * len(xs)]]
              for j in range(len(ys))]
    taus = [c[0] for c in g["cells"] if c[0] is not None]
    v = _zmbr.axis_scale(min(taus, default=0.0), max(taus, default=0.0), False)
    mesh = ax.pcolormesh(x_edges, y_edges, values, vmin=v["low"], vmax=v["high"])
    _axis(ax, "x", _scale_within(x_edges, xs))
    _axis(ax, "y", _scale_within(y_edges, ys))
    ax.set_xlabel(captions[0])
    ax.set_ylabel(captions[1])
    bar = fig.colorbar(mesh, ax=ax, ticks=v["ticks"])
    bar.ax.set_yticklabels(v["labels"])
    bar.ax.set_title("τxy max (MPa)", fontsize="medium", loc="left")
    ends = Counter(c[1] for c in g["cells"] if c[0] is not None)
    usual = ends.most_common(1)[0][0] if ends else ""
    for j, y in enumerate(ys):
        for i, x in enumerate(xs):
            tau, end = g["cells"][j * len(xs) + i]
            if tau is not None and end != usual:
                ax.plot([x], [y], marker=_MARKS[_zmbr.mark_name(end)], markersize=8,
                        markerfacecolor="white", markeredgecolor="black", linestyle="none")
    title = f"τxy max of the variants of {file}"
    if g["folded"]:
        title += f" (lowest over {', '.join(g['folded'])})"
    ax.set_title(title, fontweight="bold")
    fig.tight_layout(rect=(0, 0.04, 1, 1))
    if usual:  # the key, under the colour bar
        fig.text(0.99, 0.01, f"unmarked: {_zmbr.mark_name(usual)}", ha="right", va="bottom")


def study_chart(data, svg_path, png_path):
    """The study's chart: τxy max against the first varied name, a curve for each set of the
    others' values; as a colour map over the first two names where there would be too many."""
    import os

    if "MPLBACKEND" not in os.environ:
        import matplotlib

        matplotlib.use("Agg")
    import matplotlib.pyplot as plt

    fig, ax = plt.subplots(figsize=(_WIDTH / 100, _HEIGHT / 100), dpi=100)
    file = os.path.basename(data["file"])
    names, captions = data["names"], data["captions"]
    if data["wants_map"]:
        _study_map(fig, ax, data, file)
    else:
        keys, curves = [], []
        for stored, tau, mark in data["points"]:
            key = ", ".join((f"{names[i]} = " if len(names) > 2 else "") + stored[i]
                            for i in range(1, len(stored)))
            if key not in keys:
                keys.append(key)
                curves.append((key or file, [], [], []))
            if tau is None:
                continue
            c = curves[keys.index(key)]
            c[1].append(_number(stored[0]))
            c[2].append(tau)
            c[3].append(mark)
        for i, (label, xs, ys, marks) in enumerate(curves):
            order = sorted(range(len(xs)), key=lambda k: xs[k])
            curves[i] = (label, [xs[k] for k in order], [ys[k] for k in order],
                         [marks[k] for k in order])
        x_low, x_high = _range([c[1] for c in curves])
        y_low, y_high = _range([c[2] for c in curves])
        _draw(ax, f"τxy max of the variants of {file}", captions[0], "τxy max (MPa)", curves,
              _zmbr.axis_scale(x_low, x_high, False), _zmbr.axis_scale(y_low, y_high, True),
              legend_title=", ".join(captions[1:]) or None)
    fig.savefig(svg_path, format="svg")
    fig.savefig(png_path, format="png", dpi=200)
    plt.close(fig)
