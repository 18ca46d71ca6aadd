#!/usr/bin/env python3
"""Load benchmark: quillon-diff --stats against a bare Xerces SAX2 parse.

  bench/load_bench.py --build BUILD_DIR [--sizes 10 100] [--runs 3] [--work DIR]

Generates catalog documents with bench/gen_catalog.py (or reuses them in
--work), then, in one run and alternating, times the bare parse and
`quillon-diff --stats` on the same file. Prints the best wall time of each,
their ratio (target <= 1.5) and the peak resident memory of quillon-diff per
MB of input.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
GEN = os.path.join(HERE, "gen_catalog.py")


def find_generator(explicit):
    path = explicit or GEN
    if not os.path.exists(path):
        sys.exit("%s not found" % path)
    return path


def timed(cmd):
    # os.wait4 gives the child's own peak RSS.
    # Output goes to files: a long difference listing would fill a pipe that
    # nobody reads before the child ends.
    with tempfile.TemporaryFile() as out_file, tempfile.TemporaryFile() as err_file:
        start = time.perf_counter()
        proc = subprocess.Popen(cmd, stdout=out_file, stderr=err_file)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        out_file.seek(0)
        err_file.seek(0)
        out = out_file.read().decode(errors="replace")
        err = err_file.read().decode(errors="replace")
    code = os.waitstatus_to_exitcode(status)
    if code not in (0, 1):
        sys.exit("failed (%d): %s\n%s" % (code, " ".join(cmd), err))
    return wall, usage.ru_maxrss, out


def parse_seconds(out, pattern):
    m = re.search(pattern, out)
    return float(m.group(1)) if m else None


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    ap.add_argument("--sizes", type=float, nargs="+", default=[10, 100])
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--work", default="/tmp/quillon-bench")
    ap.add_argument("--gen")
    args = ap.parse_args()

    gen = find_generator(args.gen)
    bare = os.path.join(args.build, "bench", "bare_parse")
    diff = os.path.join(args.build, "src", "app", "quillon-diff")
    for exe in (bare, diff):
        if not os.path.exists(exe):
            sys.exit("missing %s; build first" % exe)

    print("%-8s %10s %12s %12s %8s %12s" % ("size", "file MB", "bare s", "load s", "ratio", "RSS MB/MB"))
    for mb in args.sizes:
        folder = os.path.join(args.work, "catalog-%g" % mb)
        left = os.path.join(folder, "left.xml")
        if not os.path.exists(left):
            subprocess.check_call([sys.executable, gen, "catalog", "--mb", str(mb), "--out", folder])
        size_mb = os.path.getsize(left) / 1048576.0
        bare_best = load_best = float("inf")
        rss = 0
        for _ in range(args.runs):
            _, _, out = timed([bare, left])
            bare_best = min(bare_best, parse_seconds(out, r"parsed in ([0-9.]+) s"))
            _, peak, out = timed([diff, "--stats", left])
            load_best = min(load_best, parse_seconds(out, r"loaded in ([0-9.]+) s"))
            rss = max(rss, peak)
        print("%-8s %10.1f %12.3f %12.3f %8.2f %12.2f" % (
            "%gMB" % mb, size_mb, bare_best, load_best, load_best / bare_best, rss / 1024.0 / size_mb))


if __name__ == "__main__":
    main()
