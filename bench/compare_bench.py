#!/usr/bin/env python3
"""Compare benchmark: quillon-diff on catalog pairs against a bare Xerces parse.

  bench/compare_bench.py --build BUILD_DIR [--sizes 10 100] [--runs 3] [--work DIR]
                         [--variants plain shuffle renotate] [--configs ...]

For each catalog pair (bench/gen_catalog.py: plain, --shuffle, --renotate)
and each comparison setting, runs `quillon-diff --stats LEFT RIGHT` and the
bare parse of LEFT side by side, in one run, and prints:

  load/bare     mean load time of the two documents / bare parse of one
  run/bare2     whole quillon-diff run / bare parse of both documents
                (each ratio is the median of the ratios of the rounds)
  cmp s         compare time (preparation and pairing)
  cmp/bare      compare time / bare parse of one document
  cmp/load      compare time / mean load time of one document (target < 1 at Normal)
  RSS/in        peak resident size / combined size of the two inputs (target <= 3)
  steal%        share of the machine's processor time its host took away while
                the row ran (Linux /proc/stat); a row with much of it measured
                the host's load more than the program

and, per setting and variant, the growth of the compare time from the
smallest to the largest size against the growth in size (linear = 1.0).
Documents are generated into --work (default /tmp/quillon-bench) and reused.
"""
import argparse
import os
import re
import statistics
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from load_bench import find_generator, parse_seconds, timed  # noqa: E402

# name -> quillon-diff flags. The renotated pair differs only in notation, so
# it is compared with both normalisations on.
CONFIGS = {
    "strict": ["--level", "strict"],
    "fast": ["--level", "fast"],
    "normal": ["--level", "normal"],
    "normal-ordered": ["--level", "normal", "--keep-order"],
    "full": ["--level", "full"],
}
VARIANT_FLAGS = {"plain": [], "shuffle": ["--shuffle"], "renotate": ["--renotate"]}


def processor_ticks():
    """(steal, total) ticks of all processors so far; None off Linux."""
    try:
        with open("/proc/stat") as f:
            fields = [int(x) for x in f.readline().split()[1:]]
    except (OSError, ValueError):
        return None
    # user nice system idle iowait irq softirq steal guest guest_nice; the
    # guest times are already counted in user and nice.
    return fields[7] if len(fields) > 7 else 0, sum(fields[:8])


def steal_share(before, after):
    if not before or not after or after[1] == before[1]:
        return "-"
    return "%.0f" % (100.0 * (after[0] - before[0]) / (after[1] - before[1]))


def generate(gen, work, variant, mb):
    folder = os.path.join(work, "catalog-%s-%g" % (variant, mb))
    if not os.path.exists(os.path.join(folder, "right.xml")):
        subprocess.check_call([sys.executable, gen, "catalog", "--mb", str(mb), "--out", folder] + VARIANT_FLAGS[variant])
    return os.path.join(folder, "left.xml"), os.path.join(folder, "right.xml")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    ap.add_argument("--sizes", type=float, nargs="+", default=[10, 100])
    ap.add_argument("--runs", type=int, default=3, help="each figure is the median of this many runs")
    ap.add_argument("--work", default="/tmp/quillon-bench")
    ap.add_argument("--variants", nargs="+", default=list(VARIANT_FLAGS), choices=list(VARIANT_FLAGS))
    ap.add_argument("--configs", nargs="+", default=list(CONFIGS), choices=list(CONFIGS))
    ap.add_argument("--gen")
    args = ap.parse_args()

    gen = find_generator(args.gen)
    bare = os.path.join(args.build, "bench", "bare_parse")
    diff = os.path.join(args.build, "src", "app", "quillon-diff")
    for exe in (bare, diff):
        if not os.path.exists(exe):
            sys.exit("missing %s; build first" % exe)

    header = "%-9s %6s %-15s %8s %9s %9s %8s %9s %9s %8s %7s" % (
        "variant", "MB", "setting", "bare s", "load/bare", "run/bare2", "cmp s", "cmp/bare", "cmp/load", "RSS/in",
        "steal%")
    print(header)
    print("-" * len(header))
    compare_times = {}
    for variant in args.variants:
        for mb in args.sizes:
            left, right = generate(gen, args.work, variant, mb)
            inputs = os.path.getsize(left) + os.path.getsize(right)
            for name in args.configs:
                flags = CONFIGS[name] + (["--normalize-dates", "--normalize-numbers"] if variant == "renotate" else [])
                # The bare parses and the run alternate, and each ratio is
                # taken within one round, seconds apart, and then the median
                # of the rounds: on a shared machine the host's load moves
                # from minute to minute, and a ratio of two medians taken
                # minutes apart measured that as much as the program.
                cells = []
                ticks = processor_ticks()
                for _ in range(args.runs):
                    bare_both = []
                    for doc in (left, right):
                        wall, _, _ = timed([bare, doc])
                        bare_both.append(wall)
                    _, _, out = timed([bare, left])
                    bare_s = parse_seconds(out, r"parsed in ([0-9.]+) s")
                    # -q: the difference listing would time the terminal output, not the run.
                    run_s, peak_kb, out = timed([diff, "--stats", "-q"] + flags + [left, right])
                    loads = [float(x) for x in re.findall(r"loaded in ([0-9.]+) s", out)]
                    cmp_s = parse_seconds(out, r"compared in ([0-9.]+) s")
                    load_s = sum(loads) / len(loads)
                    cells.append((bare_s, cmp_s, load_s / bare_s, run_s / sum(bare_both), cmp_s / bare_s,
                                  cmp_s / load_s, peak_kb * 1024.0 / inputs))
                bare_s, cmp_s, load_ratio, run_ratio, cmp_bare, cmp_load, rss = (
                    statistics.median(c) for c in zip(*cells))
                compare_times[(variant, name, mb)] = cmp_s
                print("%-9s %6g %-15s %8.3f %9.2f %9.2f %8.3f %9.2f %9.2f %8.2f %7s" % (
                    variant, mb, name, bare_s, load_ratio, run_ratio, cmp_s, cmp_bare, cmp_load, rss,
                    steal_share(ticks, processor_ticks())))
                sys.stdout.flush()
    if len(args.sizes) >= 2:
        small, large = min(args.sizes), max(args.sizes)
        print("\ncompare-time growth %g MB -> %g MB divided by the size growth (1.0 = linear):" % (small, large))
        for variant in args.variants:
            cells = []
            for name in args.configs:
                a, b = compare_times.get((variant, name, small)), compare_times.get((variant, name, large))
                if a and b:
                    cells.append("%s %.2f" % (name, (b / a) / (large / small)))
            print("  %-9s %s" % (variant, "  ".join(cells)))


if __name__ == "__main__":
    main()
