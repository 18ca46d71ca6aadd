#!/usr/bin/env python3
"""Report benchmark: what listing the differences adds to a quillon-diff run.

  bench/report_bench.py --build BUILD_DIR [--mb 100] [--runs 3] [--work DIR]

On the catalog pair of shared/bench/gen_xml.py (about 1 % of the books
changed, 0.5 % removed, 0.5 % added) it times whole runs of quillon-diff,
best of --runs each:

  brief     the result sentence only (the baseline)
  text      the difference listing, to a file
  json      --format json, to a file
  html      --brief --html FILE

and prints each run's processor time (user + system, steadier than the wall
clock on a shared machine) and wall time, the cost over the baseline
(targets: text and json at most +10 %, html under one second more) and the
size written (html target: under 5 MB).
"""
import argparse
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from compare_bench import generate  # noqa: E402
from load_bench import find_generator  # noqa: E402


def run(cmd):
    """Wall and processor seconds of one run; its output goes to files."""
    start = time.perf_counter()
    proc = subprocess.Popen(cmd, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    _, status, usage = os.wait4(proc.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) not in (0, 1):
        sys.exit("failed: %s\n%s" % (" ".join(cmd), proc.stderr.read().decode(errors="replace")))
    return wall, usage.ru_utime + usage.ru_stime


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    ap.add_argument("--mb", type=float, default=100)
    ap.add_argument("--runs", type=int, default=3)
    ap.add_argument("--work", default="/tmp/quillon-bench")
    ap.add_argument("--gen")
    args = ap.parse_args()

    diff = os.path.join(args.build, "src", "app", "quillon-diff")
    if not os.path.exists(diff):
        sys.exit("missing %s; build first" % diff)
    left, right = generate(find_generator(args.gen), args.work, "plain", args.mb)
    out = os.path.join(args.work, "report-out")
    runs = {
        "brief": ["--brief"],
        "text": ["--output", out + ".txt"],
        "json": ["--format", "json", "--output", out + ".json"],
        "html": ["--brief", "--html", out + ".html"],
    }
    written = {"text": out + ".txt", "json": out + ".json", "html": out + ".html"}
    best = {}
    for _ in range(args.runs):
        for name, flags in runs.items():
            wall, cpu = run([diff] + flags + [left, right])
            old = best.get(name, (wall, cpu))
            best[name] = (min(old[0], wall), min(old[1], cpu))
    base_wall, base_cpu = best["brief"]
    print("%-6s %8s %17s %8s %17s %10s" % ("run", "cpu s", "added", "wall s", "added", "written"))
    for name in runs:
        wall, cpu = best[name]
        size = os.path.getsize(written[name]) / 1e6 if name in written else 0
        print("%-6s %8.3f %+8.3fs %+6.1f%% %8.3f %+8.3fs %+6.1f%% %7.2f MB" % (
            name, cpu, cpu - base_cpu, 100 * (cpu - base_cpu) / base_cpu,
            wall, wall - base_wall, 100 * (wall - base_wall) / base_wall, size))


if __name__ == "__main__":
    main()
