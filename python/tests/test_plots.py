"""Figures: the axes, ticks, curves and end marks of --plot, drawn with matplotlib."""

import re

import pytest
import zmbr
from conftest import program


def svg_texts(path):
    return [t.strip() for t in re.findall(r">([^<>]+)</text>", path.read_text(), re.S)]


def contains(texts, run):
    return any(texts[i:i + len(run)] == run for i in range(len(texts)))


@pytest.mark.parametrize("curve, names", [
    ("tau-gamma", ["steel_yield", "concrete_crushing"]),
    ("eps1-eps2", ["steel_yield", "concrete_crushing"]),
    ("tau-gamma", ["gfrp_rupture", "three_way_cfrp", "one_row"]),
    ("tau-gamma", ["step_limit"]),
])
def test_the_figure_is_laid_out_as_plot_lays_it_out(folder, curve, names):
    results = [zmbr.read(f"{n}.mbr").run() for n in names]
    for r in results:
        r.write()
    status, _, err = program("--plot", *[r.result_file for r in results], "--curve", curve, "-o",
                             "plot.svg", cwd=folder)
    assert status == 0, err
    texts = svg_texts(folder / "plot.svg")
    figure = zmbr.plot(results, curve=curve)
    ax = figure.axes[0]
    xs = [t.get_text() for t in ax.get_xticklabels()]
    ys = [t.get_text() for t in ax.get_yticklabels()]
    assert contains(texts, xs) and contains(texts, ys), (xs, ys, texts)
    # The ends of the axes are ticks beyond the curves (0 on the frame).
    assert tuple(ax.get_xlim()) == (ax.get_xticks()[0], ax.get_xticks()[-1])
    assert sorted(ax.get_ylim()) == [min(ax.get_yticks()), max(ax.get_yticks())]
    legend = [t.get_text() for t in ax.get_legend().get_texts()]
    assert contains(texts, legend), (legend, texts)
    assert ax.get_title() in texts
    if curve == "eps1-eps2":  # ε2 is negative and rises from the top
        assert ax.get_ylim()[0] > ax.get_ylim()[1]


def test_a_result_plots_itself(folder):
    r = zmbr.read("gfrp_rupture.mbr").run()
    figure = r.plot()
    legend = [t.get_text() for t in figure.axes[0].get_legend().get_texts()]
    assert legend == ["gfrp_rupture.TGC", "rupture"]
    figure.savefig("one.svg")
    assert (folder / "one.svg").read_text().startswith("<?xml")


def test_unknown_curve_is_refused():
    with pytest.raises(ValueError, match="the curves are tau-gamma, eps1-eps2"):
        zmbr.plot([zmbr.Panel().run()], curve="tau")
