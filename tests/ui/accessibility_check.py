#!/usr/bin/python3
# SPDX-License-Identifier: MIT
"""Reads the window's rows from the accessibility tree, as a screen reader does.

  accessibility_check.py QUILLON_BINARY

Starts the program on a virtual X display with an accessibility bus, with a
pair whose left document has a subtree that the right one lacks, and reads
both panes through AT-SPI (pyatspi): every changed or deleted row says its
state, the gap rows opposite the deleted ones say "no partner", and each
partner stands at the height of its partner. Exits 77 (skipped) where Xvfb,
the accessibility bus or pyatspi is missing.
"""
import importlib.util
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIP = 77
LEFT = "<r><a>1</a><b k='x'><c/><d>old</d></b><e>2</e><f>3</f></r>"
RIGHT = "<r><a>1</a><e>2</e><f>three</f></r>"
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def skip(why):
    print("skipped: " + why)
    sys.exit(SKIP)


def panes(app_process, timeout=30):
    """The two panes of the running program, by their accessible names."""
    import pyatspi
    deadline = time.time() + timeout
    while time.time() < deadline and app_process.poll() is None:
        desktop = pyatspi.Registry.getDesktop(0)
        for i in range(desktop.childCount):
            app = desktop.getChildAtIndex(i)
            if not app or "quillon" not in (app.name or "").lower():
                continue
            found = {}
            stack = [app]
            while stack:
                node = stack.pop()
                try:
                    name, count = node.name, node.childCount
                except Exception:
                    continue
                if name in ("Left XML pane", "Right XML pane"):
                    found[name] = node
                    continue
                stack.extend(node.getChildAtIndex(k) for k in range(count))
            if len(found) == 2 and all(p.childCount > 3 for p in found.values()):
                return found["Left XML pane"], found["Right XML pane"]
        time.sleep(0.5)
    return None


def rows(pane):
    import pyatspi
    out = []
    for i in range(pane.childCount):
        row = pane.getChildAtIndex(i)
        box = row.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        out.append((row.name, row.description, box.y, box.height))
    return out


def check(app_process):
    found = panes(app_process)
    if not found:
        print("the panes never reached the accessibility tree (program %s)"
              % ("running" if app_process.poll() is None else "ended with %s" % app_process.returncode))
        return 1
    l, r = rows(found[0]), rows(found[1])
    faults = []
    said = {name: state for name, state, _, _ in l}
    for name, state in (("b k=\"x\"", "deleted"), ("d: old", "deleted"), ("f: 3", "changed"), ("a: 1", "equal")):
        if said.get(name) != state:
            faults.append("left row %r says %r, not %r" % (name, said.get(name), state))
    gaps = [y for name, state, y, _ in r if name == "gap" and state == "no partner"]
    deleted = [y for name, state, y, _ in l if state == "deleted"]
    if sorted(gaps) != sorted(deleted):
        faults.append("gaps at %s, deleted rows at %s" % (gaps, deleted))
    heights = {name: (y, h) for name, _, y, h in l}
    for name, _, y, h in r:
        if name in ("a: 1", "e: 2") and heights.get(name) != (y, h):
            faults.append("%r at %s on the left, %s on the right" % (name, heights.get(name), (y, h)))
    for line in l + r:
        print("%-24s %-16s y=%d h=%d" % line)
    for f in faults:
        print("FAULT: " + f)
    return 1 if faults else 0


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    program = sys.argv[1]
    # Only looked for here: imported, it would bind to a bus before ours exists.
    if not importlib.util.find_spec("pyatspi"):
        skip("no pyatspi")
    for tool in ("Xvfb", "dbus-run-session"):
        if not shutil.which(tool):
            skip("no " + tool)
    if not os.path.exists(BUS_LAUNCHER):
        skip("no accessibility bus")
    if not os.environ.get("QUILLON_IN_SESSION"):
        # A session bus of our own, for the accessibility bus to live on.
        env = dict(os.environ, QUILLON_IN_SESSION="1")
        return subprocess.call(["dbus-run-session", "--", sys.executable] + sys.argv, env=env)

    with tempfile.TemporaryDirectory(prefix="quillon-a11y-") as tmp:
        paths = []
        for name, xml in (("left.xml", LEFT), ("right.xml", RIGHT)):
            paths.append(os.path.join(tmp, name))
            with open(paths[-1], "w") as f:
                f.write(xml)
        settings = os.path.join(tmp, "settings.ini")
        with open(settings, "w") as f:
            f.write("[General]\nApplicationVersion=471\nTipOfTheDay=0\nExpandDiff=1\n")
        read, write = os.pipe()
        xvfb_log = open(os.path.join(tmp, "xvfb.log"), "w")
        # -noreset: a client arriving while the bus launcher's connection
        # closes would otherwise meet a server in its reset and be turned away.
        xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write), "-screen", "0", "1280x900x24", "-nolisten", "tcp",
                                 "-noreset"], pass_fds=(write,), stdout=xvfb_log, stderr=xvfb_log)
        os.close(write)
        # Kept open: Xvfb writes to it again later and ends if nobody reads.
        display = os.read(read, 16).decode().strip()
        started = [xvfb]
        try:
            env = dict(os.environ, DISPLAY=":" + display, HOME=tmp, QUILLON_SETTINGS_FILE=settings,
                       QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_RUNTIME_DIR=tmp)
            env.pop("QT_QPA_PLATFORM", None)
            # A group of its own: the bus daemon and the registry it starts end with it.
            started.append(subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=env, start_new_session=True,
                                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            time.sleep(1)
            os.environ.update(DISPLAY=":" + display)
            started.append(subprocess.Popen([program] + paths, env=env))
            status = check(started[-1])
            if status:
                print("Xvfb on :%s %s" % (display, "running" if xvfb.poll() is None else "ended (%s)" % xvfb.returncode))
                print(open(os.path.join(tmp, "xvfb.log")).read())
            return status
        finally:
            for p in reversed(started):
                if p is started[1]:
                    os.killpg(p.pid, signal.SIGKILL)
                p.kill()
                p.wait()
            os.close(read)


if __name__ == "__main__":
    sys.exit(main())
