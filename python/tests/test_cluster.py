"""A study on a dask cluster of two worker processes: the same results, in the same order,
as on this machine alone."""

import os
import pickle

import pandas
import pytest
import zmbr
from conftest import EPOCH

distributed = pytest.importorskip("distributed")


@pytest.fixture(scope="module")
def client():
    # The workers' own runs (not a study's) are dated by their environment.
    os.environ["SOURCE_DATE_EPOCH"] = EPOCH
    cluster = distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                                       host="127.0.0.1", dashboard_address=None)
    client = distributed.Client(cluster)
    yield client
    client.close()
    cluster.close()


def test_cluster_study_equals_the_local_one(folder, client):
    p = zmbr.read("steel_yield.mbr")
    vary = {"Ar": range(50, 301, 50), "fc": [-24, -36]}
    local = zmbr.study(p, vary)
    remote = zmbr.study(p, vary, client=client)
    pandas.testing.assert_frame_equal(local, remote)
    for a, b in zip(local.attrs["results"], remote.attrs["results"]):
        assert a.file_bytes == b.file_bytes
        assert a.steps.equals(b.steps)


def test_cluster_study_writes_the_local_files(folder, client):
    p = zmbr.read("one_row.mbr")
    zmbr.study(p, {"t": [100, 200]}, out="local")
    zmbr.study(p, {"t": [100, 200]}, out="remote", client=client)
    for name in ("one_row-1.TGC", "one_row-2.TGC", "one_row-1.mbr"):
        assert (folder / "local" / name).read_bytes().replace(b"local/", b"") == (
            folder / "remote" / name).read_bytes().replace(b"remote/", b"")


def test_panels_and_results_travel(client):
    p = zmbr.Panel()
    p.fc = -31
    future = client.submit(zmbr.Panel.run, p, pure=False)
    r = future.result()
    assert r.file_bytes == p.run().file_bytes
    assert client.submit(lambda q: q.fc, p).result() == -31.0
    assert pickle.loads(pickle.dumps(r)).end.words == r.end.words
    # The workers are other processes.
    assert os.getpid() not in client.run(os.getpid).values()
