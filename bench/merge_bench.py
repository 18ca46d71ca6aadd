#!/usr/bin/env python3
"""Merge benchmark: quillon-merge on a catalog triple against two comparisons.

  bench/merge_bench.py --build BUILD_DIR [--mb 100] [--runs 3] [--work DIR]

Generates a catalog and two edits of it with the merge a person would make
(bench/gen_catalog.py triple), then, in each round, runs
`quillon-merge --stats BASE OURS THEIRS -o OUT` and the two comparisons
`quillon-diff --stats BASE OURS` and `quillon-diff --stats BASE THEIRS`, and
prints the medians of:

  merge s       the whole merge run
  diffs s       the two comparison runs together
  write s       the merge's writing of the result (its --stats)
  ratio         merge / (diffs + write); the target is at most 1
  cpu ratio     the same for processor time (user + system), which a busy
                machine disturbs less than wall time
  RSS/in        the merge's peak resident size / the three inputs' size
  same          whether the result is byte for byte the person's merge
"""
import argparse
import filecmp
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from load_bench import find_generator, parse_seconds  # noqa: E402


def timed_stats(cmd):
    """Wall time, processor time, peak RSS (KiB) and stderr, where --stats goes."""
    with tempfile.TemporaryFile() as err_file:
        start = time.perf_counter()
        proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=err_file)
        _, status, usage = os.wait4(proc.pid, 0)
        wall = time.perf_counter() - start
        err_file.seek(0)
        err = err_file.read().decode(errors="replace")
    if os.waitstatus_to_exitcode(status) not in (0, 1):
        sys.exit("failed: %s\n%s" % (" ".join(cmd), err))
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss, err


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    ap.add_argument("--mb", type=float, default=100)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--work", default="/tmp/quillon-bench")
    ap.add_argument("--gen")
    args = ap.parse_args()

    merge = os.path.join(args.build, "src", "app", "quillon-merge")
    diff = os.path.join(args.build, "src", "app", "quillon-diff")
    for exe in (merge, diff):
        if not os.path.exists(exe):
            sys.exit("missing %s; build first" % exe)
    folder = os.path.join(args.work, "triple-%g" % args.mb)
    files = {n: os.path.join(folder, n + ".xml") for n in ("base", "ours", "theirs", "merged")}
    if not all(os.path.exists(f) for f in files.values()):
        subprocess.check_call([sys.executable, find_generator(args.gen), "triple", "--mb", str(args.mb),
                               "--out", folder])
    out = os.path.join(folder, "result.xml")
    inputs = sum(os.path.getsize(files[n]) for n in ("base", "ours", "theirs"))

    rows = {"merge": [], "diffs": [], "write": [], "ratio": [], "cpu": [], "rss": []}
    same = True
    for _ in range(args.runs):
        wall, cpu, rss, stats = timed_stats([merge, "--stats", files["base"], files["ours"], files["theirs"],
                                             "-o", out])
        write = parse_seconds(stats, r"written in ([0-9.]+) s") or 0.0
        write_cpu = parse_seconds(stats, r"written in [0-9.]+ s \(processor ([0-9.]+) s\)") or 0.0
        same = same and filecmp.cmp(out, files["merged"], shallow=False)
        diffs = diffs_cpu = 0.0
        for side in ("ours", "theirs"):
            d_wall, d_cpu, _, _ = timed_stats([diff, "--stats", files["base"], files[side]])
            diffs += d_wall
            diffs_cpu += d_cpu
        rows["merge"].append(wall)
        rows["diffs"].append(diffs)
        rows["write"].append(write)
        rows["ratio"].append(wall / (diffs + write))
        rows["cpu"].append(cpu / (diffs_cpu + write_cpu))
        rows["rss"].append(rss * 1024.0 / inputs)
    med = {k: statistics.median(v) for k, v in rows.items()}
    print("%-10s %9s %9s %9s %8s %10s %8s %6s" % ("input MB", "merge s", "diffs s", "write s", "ratio",
                                                 "cpu ratio", "RSS/in", "same"))
    print("%-10.1f %9.2f %9.2f %9.2f %8.2f %10.2f %8.2f %6s" % (
        inputs / 1048576.0 / 3, med["merge"], med["diffs"], med["write"], med["ratio"], med["cpu"], med["rss"],
        "yes" if same else "NO"))
    print(stats.rstrip())
    if not same:
        sys.exit("the merge differs from %s" % files["merged"])


if __name__ == "__main__":
    main()
