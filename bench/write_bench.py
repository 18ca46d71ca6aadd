#!/usr/bin/env python3
"""Write benchmark: writing a loaded document back out against loading it.

  bench/write_bench.py --build BUILD_DIR [--sizes 100] [--runs 3] [--work DIR]
                       [--encodings UTF-8 Windows-1252 UTF-16]

Generates catalog documents with bench/gen_catalog.py (or reuses them in
--work). For each size and output encoding, runs write_back (load, then
"Save XML Element" on the root, each timed inside the same process) beside
the bare Xerces parse of the same file, and prints the best times and the
ratio write/load (target <= 1: writing is at least as fast as loading).
Written files go to --work and are removed afterwards.
"""
import argparse
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from load_bench import find_generator, parse_seconds, timed  # noqa: E402


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    ap.add_argument("--sizes", type=float, nargs="+", default=[100])
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--work", default="/tmp/quillon-bench")
    ap.add_argument("--encodings", nargs="+", default=["UTF-8", "Windows-1252", "UTF-16"])
    ap.add_argument("--gen")
    args = ap.parse_args()

    gen = find_generator(args.gen)
    bare = os.path.join(args.build, "bench", "bare_parse")
    writer = os.path.join(args.build, "bench", "write_back")
    for exe in (bare, writer):
        if not os.path.exists(exe):
            sys.exit("missing %s; build first" % exe)

    print("%-8s %-13s %9s %9s %9s %9s %11s" % ("size", "encoding", "file MB", "bare s", "load s", "write s",
                                                "write/load"))
    for mb in args.sizes:
        folder = os.path.join(args.work, "catalog-%g" % mb)
        left = os.path.join(folder, "left.xml")
        if not os.path.exists(left):
            subprocess.check_call([sys.executable, gen, "catalog", "--mb", str(mb), "--out", folder])
        size_mb = os.path.getsize(left) / 1048576.0
        out = os.path.join(args.work, "written-%g.xml" % mb)
        for encoding in args.encodings:
            bare_best = load_best = write_best = float("inf")
            for _ in range(args.runs):
                _, _, text = timed([bare, left])
                bare_best = min(bare_best, parse_seconds(text, r"parsed in ([0-9.]+) s"))
                _, _, text = timed([writer, left, out, encoding])
                load_best = min(load_best, parse_seconds(text, r"loaded in ([0-9.]+) s"))
                write_best = min(write_best, parse_seconds(text, r"written in ([0-9.]+) s"))
            if os.path.exists(out):
                os.remove(out)
            print("%-8s %-13s %9.1f %9.3f %9.3f %9.3f %11.2f" % (
                "%gMB" % mb, encoding, size_mb, bare_best, load_best, write_best, write_best / load_best))


if __name__ == "__main__":
    main()
