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

and prints each run's wall time, its cost over the baseline (targets: text
and json at most +10 %, html under one second more) and the size written
(html target: under 5 MB).
"""
import argparse
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from compare_bench import generate  # noqa: E402
from load_bench import find_generator, timed  # noqa: E402


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
            wall, _, _ = timed([diff] + flags + [left, right])
            best[name] = min(best.get(name, wall), wall)
    base = best["brief"]
    print("%-6s %8s %9s %10s" % ("run", "wall s", "added", "written"))
    for name in runs:
        size = os.path.getsize(written[name]) if name in written else 0
        added = best[name] - base
        print("%-6s %8.3f %+8.3fs %+6.1f%% %9.2f MB" % (name, best[name], added, 100 * added / base, size / 1e6))


if __name__ == "__main__":
    main()
