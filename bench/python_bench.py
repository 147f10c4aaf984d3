#!/usr/bin/python3
"""The Python module's goals, measured (not a test):
- the per-run overhead of p.run() with r.steps built over the core's own in-process run of
  the default panel (goal: at most 5 %);
- a 10 x 10 study on a LocalCluster of two worker processes against one (goal: 1.7x), and on
  two threads against one (goal: 1.8x);
- the time `import zmbr` takes, without dask (goal: at most 50 ms).
Each figure is the median over pairs run alternately, so that a slow spell of the machine
falls on both sides.

    PYTHONPATH=build/python /usr/bin/python3 bench/python_bench.py [--pairs N] [--only NAME]
"""

import argparse
import os
import statistics
import subprocess
import sys
import time
from concurrent.futures import ThreadPoolExecutor
from pathlib import Path

import zmbr
from zmbr import _zmbr

SOURCE = Path(__file__).resolve().parents[1]
os.environ.setdefault("SOURCE_DATE_EPOCH", "1700000000")


def per_run_overhead(pairs):
    p = zmbr.Panel()
    p.run().steps  # warm: pandas imported, caches filled
    ratios, core_times, py_times = [], [], []
    for _ in range(pairs):
        core = _zmbr._core_run_seconds(p._sheet)
        start = time.perf_counter()
        r = p.run()
        r.steps
        py = time.perf_counter() - start
        core_times.append(core)
        py_times.append(py)
        ratios.append(py / core - 1)
    print(f"p.run() + r.steps over the core's run, default panel ({len(r.steps)} steps): "
          f"median {100 * statistics.median(ratios):+.1f} % "
          f"(core {1000 * statistics.median(core_times):.2f} ms, "
          f"Python {1000 * statistics.median(py_times):.2f} ms; goal <= 5 %)")


# The studies' panel: the issue's example by default; --panel step_limit.mbr gives variants
# of 10 000 steps, where the work outweighs handing it out.
STUDY_PANEL = "steel_yield.mbr"


def ten_by_ten():
    return {"Ar": range(30, 301, 30), "fc": [-20 - 2 * k for k in range(10)]}


def timed_study(panel, client):
    start = time.perf_counter()
    zmbr.study(panel, ten_by_ten(), client=client)
    return time.perf_counter() - start


def cluster_speedup(pairs):
    from dask.distributed import Client, LocalCluster

    panel = zmbr.read(SOURCE / "examples" / STUDY_PANEL)
    clusters = {}
    for n in (1, 2):
        cluster = LocalCluster(n_workers=n, threads_per_worker=1, processes=True,
                               host="127.0.0.1", dashboard_address=None)
        clusters[n] = (cluster, Client(cluster))
        timed_study(panel, clusters[n][1])  # warm: the workers import zmbr
    ratios, times = [], {1: [], 2: []}
    for _ in range(pairs):
        for n in (1, 2):
            times[n].append(timed_study(panel, clusters[n][1]))
        ratios.append(times[1][-1] / times[2][-1])
    for cluster, client in clusters.values():
        client.close()
        cluster.close()
    print(f"10 x 10 study of {STUDY_PANEL}, LocalCluster of 2 workers over 1: median {statistics.median(ratios):.2f}x "
          f"(1 worker {statistics.median(times[1]):.2f} s, 2 workers "
          f"{statistics.median(times[2]):.2f} s; goal >= 1.7x)")


def thread_speedup(pairs):
    panel = zmbr.read(SOURCE / "examples" / STUDY_PANEL)
    ratios, times = [], {1: [], 2: []}
    with ThreadPoolExecutor(1) as one, ThreadPoolExecutor(2) as two:
        timed_study(panel, two)
        for _ in range(pairs):
            times[1].append(timed_study(panel, one))
            times[2].append(timed_study(panel, two))
            ratios.append(times[1][-1] / times[2][-1])
    print(f"10 x 10 study of {STUDY_PANEL}, 2 threads over 1: median {statistics.median(ratios):.2f}x "
          f"(1 thread {statistics.median(times[1]):.2f} s, 2 threads "
          f"{statistics.median(times[2]):.2f} s; goal >= 1.8x)")


def import_time(pairs):
    code = ("import time, sys; t = time.perf_counter(); import zmbr; "
            "print(time.perf_counter() - t, 'dask' in sys.modules, 'pandas' in sys.modules)")
    seconds, heavy = [], set()
    for _ in range(pairs):
        out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True,
                             check=True).stdout.split()
        seconds.append(float(out[0]))
        heavy |= {name for name, loaded in zip(("dask", "pandas"), out[1:]) if loaded == "True"}
    print(f"import zmbr: median {1000 * statistics.median(seconds):.1f} ms "
          f"(imported with it: {', '.join(sorted(heavy)) or 'neither dask nor pandas'}; "
          f"goal <= 50 ms)")


def machine_control(pairs):
    """What the machine lets two threads do at all: hashing, which lets go of the GIL too. A
    speed-up of the studies is bounded by this one."""
    import hashlib

    data = b"x" * (8 << 20)

    def hash_on(threads):
        start = time.perf_counter()
        with ThreadPoolExecutor(threads) as pool:
            list(pool.map(lambda _: hashlib.sha256(data).digest(), range(8)))
        return time.perf_counter() - start

    ratios = []
    for _ in range(pairs):
        ratios.append(hash_on(1) / hash_on(2))
    print(f"control, sha256 on 2 threads over 1: median {statistics.median(ratios):.2f}x "
          f"(load average {os.getloadavg()[0]:.1f} on {os.cpu_count()} processors)")


def main():
    global STUDY_PANEL
    parser = argparse.ArgumentParser()
    parser.add_argument("--pairs", type=int, default=0, help="pairs per figure (default: each its own)")
    parser.add_argument("--only", choices=["overhead", "control", "cluster", "threads", "import"])
    parser.add_argument("--panel", default=STUDY_PANEL, help="the studies' example panel")
    args = parser.parse_args()
    STUDY_PANEL = args.panel
    runs = {"overhead": (per_run_overhead, 301), "control": (machine_control, 5),
            "threads": (thread_speedup, 5),
            "cluster": (cluster_speedup, 5), "import": (import_time, 21)}
    for name, (measure, pairs) in runs.items():
        if args.only in (None, name):
            measure(args.pairs or pairs)


if __name__ == "__main__":
    main()
