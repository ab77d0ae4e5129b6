"""Test images for the Python module, rendered by octool (OC_OCTOOL names it): a sheet
of the ten digits with its manifest, and stamps of "2026" with their ground truth."""
import json
import os
import subprocess

import pytest


def octool(*args):
    subprocess.run([os.environ.get("OC_OCTOOL", "octool"), *map(str, args)], check=True,
                   stdout=subprocess.DEVNULL)


@pytest.fixture(scope="session")
def scenes(tmp_path_factory):
    """Paths: the manifest, and per stamp name its image and truth."""
    d = tmp_path_factory.mktemp("scenes")
    octool("render", "--out", d / "sheet.pgm", "--sheet", "0123456789",
           "--manifest", d / "manifest.txt")
    stamps = {"turned": ["--angle", 10], "omitted": ["--omit", 3, "--seed", 2],
              "plain": ["--seed", 3]}
    paths = {"manifest": d / "manifest.txt"}
    for name, extra in stamps.items():
        octool("render", "--out", d / f"{name}.pgm", "--truth", d / f"{name}.json",
               "--text", "2026", "--width", 240, "--height", 120, *extra)
        paths[name] = d / f"{name}.pgm"
        paths[name + ".truth"] = json.loads((d / f"{name}.json").read_text())
    return paths


@pytest.fixture(scope="session")
def alphabet(scenes):
    import oc
    return oc.Alphabet.teach(str(scenes["manifest"]))
