#!/usr/bin/env python3
"""Verifies every image of a folder with Dask's distributed scheduler.

    dask_verify.py --alphabet digits.oca --target 2026 FOLDER [--set maxLines=1 ...]
    dask_verify.py --scheduler tcp://host:8786 --alphabet ... --target ... FOLDER

Without --scheduler it starts a local cluster of --workers processes (one thread
each); with it, the same work runs on that cluster's workers, which must see the
alphabet and the images at the same paths (a shared folder) and import the `oc`
module. Each worker loads the alphabet once. Prints one line per image, PASS or FAIL
and the failed positions, or with --json one list of plain results; exits 0 when every
image passes, 3 when one fails and 1 on an error (an unreadable image is reported as
that image's error).
"""
import argparse
import json
import os
import sys

from distributed import Client, LocalCluster, WorkerPlugin, get_worker

import oc

IMAGE_SUFFIXES = (".pgm", ".ppm", ".png", ".tif", ".tiff")


class AlphabetPlugin(WorkerPlugin):
    """Loads the alphabet once on each worker, for every task that runs there."""
    name = "oc-alphabet"

    def __init__(self, path):
        self.path = path
        self.alphabet = None

    def setup(self, worker):
        self.alphabet = oc.Alphabet.load(self.path)


def verify_image(path, target, params):
    """One image's verification as plain values (what travels back from a worker)."""
    alphabet = get_worker().plugins[AlphabetPlugin.name].alphabet
    name = os.path.basename(path)
    try:
        result = oc.verify(oc.read_image(path), alphabet, target, **params)
    except oc.Error as e:
        return {"image": name, "error": str(e)}
    return {"image": name, "passed": result.passed,
            "verdicts": [p.verdict for p in result.positions],
            "reads_as": [p.reads_as for p in result.positions],
            "scores": [p.score for p in result.positions]}


def verify_folder(client, alphabet_path, target, folder, params):
    """The results of every image of `folder`, in name order."""
    folder = os.path.abspath(folder)  # workers elsewhere need no common working folder
    paths = sorted(os.path.join(folder, f) for f in os.listdir(folder)
                   if f.lower().endswith(IMAGE_SUFFIXES))
    client.register_worker_plugin(AlphabetPlugin(os.path.abspath(alphabet_path)))
    futures = client.map(verify_image, paths, target=target, params=params, pure=False)
    return client.gather(futures)


def parse_set(assignments):
    params = {}
    for a in assignments:
        name, eq, value = a.partition("=")
        if not eq:
            raise SystemExit(f"--set {a}: expected NAME=VALUE")
        params[name] = value  # oc takes octool's text forms
    return params


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("folder")
    parser.add_argument("--alphabet", required=True, help="an alphabet stored by octool teach")
    parser.add_argument("--target", required=True, help="the expected string")
    parser.add_argument("--set", action="append", default=[], metavar="NAME=VALUE",
                        help="an arrange or verification parameter, as for octool verify")
    parser.add_argument("--scheduler", help="address of a running Dask scheduler")
    parser.add_argument("--workers", type=int, default=2, help="local worker processes")
    parser.add_argument("--json", action="store_true", help="print the results as JSON")
    args = parser.parse_args()
    params = parse_set(args.set)

    if args.scheduler:
        client = Client(args.scheduler)
    else:
        cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                               dashboard_address=None)
        client = Client(cluster)
    with client:
        results = verify_folder(client, args.alphabet, args.target, args.folder, params)
    if not args.scheduler:
        cluster.close()

    if args.json:
        json.dump(results, sys.stdout, indent=1)
        print()
    for r in results if not args.json else []:
        if "error" in r:
            print(f"{r['image']}: ERROR {r['error']}")
        elif r["passed"]:
            print(f"{r['image']}: PASS")
        else:
            failed = ", ".join(f"{i} {v}" for i, v in enumerate(r["verdicts"]) if v != "pass")
            print(f"{r['image']}: FAIL (positions {failed})")
    if any("error" in r for r in results):
        return 1
    return 0 if all(r["passed"] for r in results) else 3


if __name__ == "__main__":
    sys.exit(main())
