"""examples/dask_verify.py (OC_DASK_EXAMPLE) on two local worker processes gives the
verdicts of verifying the same images one after another in this process."""
import json
import os
import subprocess
import sys

import oc
from conftest import octool


def test_dask_verdicts_equal_serial_ones(scenes, alphabet, tmp_path):
    folder = tmp_path / "images"
    folder.mkdir()
    for i, extra in enumerate([[], ["--omit", 0], ["--angle", -8], ["--omit", 2], []]):
        octool("render", "--out", folder / f"stamp{i}.pgm", "--text", "2026", "--width", 240,
               "--height", 120, "--seed", 10 + i, *extra)
    (folder / "notes.txt").write_text("not an image")
    alphabet.save(str(tmp_path / "digits.oca"))

    run = subprocess.run([sys.executable, os.environ["OC_DASK_EXAMPLE"], str(folder),
                          "--alphabet", str(tmp_path / "digits.oca"), "--target", "2026",
                          "--set", "maxLines=1", "--set", "timeout=1000", "--workers", "2",
                          "--json"],
                         capture_output=True, text=True, timeout=120)
    assert run.returncode == 3, run.stderr  # two images fail
    results = json.loads(run.stdout)

    assert [r["image"] for r in results] == [f"stamp{i}.pgm" for i in range(5)]
    for r in results:
        serial = oc.verify(oc.read_image(str(folder / r["image"])), alphabet, "2026", maxLines=1,
                           timeout=1000)
        assert (r["passed"], r["verdicts"]) == (serial.passed,
                                                [p.verdict for p in serial.positions])
    assert [r["passed"] for r in results] == [True, False, True, False, True]
