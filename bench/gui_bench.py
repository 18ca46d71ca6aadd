#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Times the window with a document of about a million elements.

  gui_bench.py --build BUILD_DIR [--mb 38] [--pair] [--multiline] [--trees] [--xvfb]

Makes a catalog document with bench/gen_catalog.py in a temporary folder
(nothing large is kept), then runs gui_bench on it: load, first paint,
scrolling, expanding everything, resizing the window. --pair loads and
compares both documents; --multiline shows them in the multi-line view;
--trees shows the two trees each on its own instead of aligned rows.
A bare Xerces parse of the same files is timed in the same run, and the time
to the first paint is printed as a ratio of it.
--xvfb paints on a virtual X display instead of the offscreen platform.
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
GENERATOR = os.path.join(HERE, "gen_catalog.py")


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", required=True, help="the build folder holding bench/gui_bench")
    ap.add_argument("--mb", type=int, default=38, help="document size; 38 MB is about a million elements")
    ap.add_argument("--pair", action="store_true", help="load both documents and compare them")
    ap.add_argument("--multiline", action="store_true", help="the multi-line view (wrapped attributes and text)")
    ap.add_argument("--trees", action="store_true", help="the two trees each on its own, not aligned rows")
    ap.add_argument("--xvfb", action="store_true", help="run under xvfb-run")
    ap.add_argument("--generator", default=GENERATOR)
    a = ap.parse_args()
    binary = os.path.join(a.build, "bench", "gui_bench")
    if not os.path.exists(binary):
        sys.exit("no %s: build with -DQUILLON_GUI=ON first" % binary)
    with tempfile.TemporaryDirectory(prefix="quillon-gui-bench-") as tmp:
        subprocess.run([sys.executable, a.generator, "catalog", "--mb", str(a.mb), "--out", tmp], check=True)
        files = [os.path.join(tmp, "left.xml")]
        if a.pair:
            files.append(os.path.join(tmp, "right.xml"))
        env = dict(os.environ)
        env["HOME"] = tmp  # never the user's own settings
        cmd = [binary] + (["--multiline"] if a.multiline else []) + (["--trees"] if a.trees else []) + files
        if a.xvfb:
            cmd = ["xvfb-run", "-a", "-s", "-screen 0 1280x900x24"] + cmd
        else:
            env["QT_QPA_PLATFORM"] = "offscreen"
        print("document: %d MB, %s%s%s" % (a.mb, "a compared pair" if a.pair else "one pane",
                                          ", multi-line view" if a.multiline else "",
                                          ", two trees" if a.trees else ""))
        sys.stdout.flush()
        bare_s = 0.0
        bare = os.path.join(a.build, "bench", "bare_parse")
        for f in files:
            best = float("inf")
            for _ in range(3):  # the first run also reads the file from disk
                out = subprocess.run([bare, f], capture_output=True, text=True, check=True).stdout
                best = min(best, float(re.search(r"parsed in ([0-9.]+) s", out).group(1)))
            bare_s += best
        run = subprocess.run(cmd, env=env, capture_output=True, text=True)
        sys.stdout.write(run.stdout)
        if run.returncode != 0:
            sys.stderr.write(run.stderr)
            return run.returncode
        m = re.search(r"start to first paint ([0-9.]+) ms", run.stdout)
        print("bare Xerces parse: %.0f ms; start to first paint / bare parse: %.2f"
              % (bare_s * 1000, float(m.group(1)) / 1000 / bare_s))
        return 0


if __name__ == "__main__":
    sys.exit(main())
