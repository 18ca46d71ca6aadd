#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Pairing quality on document pairs whose right answer is known.

  pairing_truth.py --build BUILD [--shapes ids,feed,...] [--sizes 10,1000]
                   [--keep DIR] [--seed N]

For each shape (the kinds of documents people compare) and group size, writes
a pair in which every record's fate is known (kept, edited, moved, removed,
added, key renamed), runs `quillon-diff --format json` on it with the default
pairing and with --pair-unrelated, reads back which records it paired,
removed and added, and prints per shape the precision and recall of those
decisions against the truth, the two settings side by side.

A record left out of the listing was paired with an identical record; every
record holds something no other holds, so that can only be its own partner.
"""
import argparse
import json
import os
import random
import re
import subprocess
import sys
import tempfile

SYLLABLES = ("ka to ri mu se na lo pe vi da go hu ze bo fi ne ru sa mi ko "
             "ta le po di ga hi zu be fo nu").split()


def vocabulary(rng, n):
    words = set()
    while len(words) < n:
        words.add("".join(rng.choice(SYLLABLES) for _ in range(rng.randint(1, 3))))
    return sorted(words)


class Pair:
    """Records of one group on two sides, with their fates."""

    def __init__(self, parent, name):
        self.parent = parent  # the group's parent path as listed, e.g. /log[1]
        self.name = name      # the records' element name
        self.left = []        # (record xml, truth id)
        self.right = []

    def truth(self):
        lids = {t: i + 1 for i, (_, t) in enumerate(self.left)}
        rids = {t: i + 1 for i, (_, t) in enumerate(self.right)}
        pairs = {(lids[t], rids[t]) for t in lids if t in rids}
        removed = {lids[t] for t in lids if t not in rids}
        added = {rids[t] for t in rids if t not in lids}
        return pairs, removed, added


def esc(s):
    return s.replace("&", "&amp;").replace("<", "&lt;").replace('"', "&quot;")


def fates(rng, n, moved=True):
    """What becomes of each of n records: kept, edited, renamed, removed; and
    how many are added. Moves shuffle a share of the right side."""
    out = []
    for _ in range(n):
        r = rng.random()
        out.append("removed" if r < 0.05 else "edited" if r < 0.20 else "renamed" if r < 0.25 else "kept")
    return out, max(1, n // 20)


def shuffled_some(rng, items, share=0.2):
    items = list(items)
    k = int(len(items) * share)
    idx = rng.sample(range(len(items)), k)
    picked = [items[i] for i in idx]
    rng.shuffle(picked)
    for i, v in zip(sorted(idx), picked):
        items[i] = v
    return items


# ---- shapes -------------------------------------------------------------

def shape_ids(rng, n, words, counter=False):
    """Users with a real id attribute (and a position counter beside it)."""
    p = Pair("/users[1]", "user")
    fate, added = fates(rng, n)

    def user(uid, name, mail, role, pos):
        c = ' pos="%d"' % pos if counter else ""
        return '<user id="%s"%s><name>%s</name><mail>%s</mail><role>%s</role></user>' % (uid, c, name, mail, role)

    recs = []
    for i in range(n):
        name = "%s %s" % (rng.choice(words).title(), rng.choice(words).title())
        recs.append(("u%05d" % (i * 7 + 3), name, "%s.%d@example.org" % (rng.choice(words), i),
                     rng.choice(("admin", "editor", "viewer"))))
    right = []
    for i, (uid, name, mail, role) in enumerate(recs):
        p.left.append((recs[i], i))
        f = fate[i]
        if f == "removed":
            continue
        if f == "edited":
            mail = "%s.%d@example.com" % (rng.choice(words), i)
        if f == "renamed":
            uid = "x%05d" % i
        right.append(((uid, name, mail, role), i))
    for k in range(added):
        t = n + k
        right.insert(rng.randrange(len(right) + 1),
                     (("n%05d" % k, "%s %s" % (rng.choice(words).title(), rng.choice(words).title()),
                       "new.%d@example.net" % k, rng.choice(("admin", "editor", "viewer"))), t))
    right = shuffled_some(rng, right)
    p.left = [(user(*r, i + 1), t) for i, (r, t) in enumerate(p.left)]
    p.right = [(user(*r, i + 1), t) for i, (r, t) in enumerate(right)]
    return "users", p


def shape_counter(rng, n, words):
    """Rows numbered in document order, identity in their content only."""
    p = Pair("/table[1]", "row")
    rows = [("%s %s" % (rng.choice(words).title(), i), rng.choice(words).title(), rng.randrange(1000)) for i in range(n)]
    fate, added = fates(rng, n)
    right = []
    for i, (name, city, qty) in enumerate(rows):
        f = fate[i]
        if f == "removed":
            continue
        if f == "edited":
            qty += 1
        right.append(((name, city, qty), i))
    for k in range(added):
        right.insert(rng.randrange(len(right) + 1), (("%s new%d" % (rng.choice(words).title(), k),
                                                     rng.choice(words).title(), rng.randrange(1000)), n + k))

    def row(k, r):
        return '<row n="%d"><name>%s</name><city>%s</city><qty>%d</qty></row>' % (k, r[0], r[1], r[2])
    p.left = [(row(i + 1, r), i) for i, r in enumerate(rows)]
    p.right = [(row(i + 1, r), t) for i, (r, t) in enumerate(right)]
    return "table", p


def sentence(rng, words, k):
    return " ".join(rng.choice(words) for _ in range(k)).capitalize() + "."


def edit_words(rng, text, words, count=1):
    ws = text.rstrip(".").split(" ")
    for _ in range(count):
        ws[rng.randrange(len(ws))] = rng.choice(words)
    return " ".join(ws) + "."


def shape_feed(rng, n, words, namespaced=False):
    """News items identified by a guid child; categories shared by many."""
    p = Pair("/rss[1]/channel[1]", "item")
    cats = ("news", "release", "security", "community")
    items = []
    for i in range(n):
        items.append({"title": sentence(rng, words, 4), "link": "https://example.org/p/%d" % (i * 13 + 5),
                      "description": sentence(rng, words, 18), "date": "2026-%02d-%02d" % (1 + i % 12, 1 + i % 28),
                      "guid": "urn:uuid:%08x" % (i * 2654435761 % 2 ** 32), "category": rng.choice(cats),
                      "creator": rng.choice(words)})
    fate, added = fates(rng, n)
    right = []
    for i, it in enumerate(items):
        f = fate[i]
        if f == "removed":
            continue
        it = dict(it)
        if f == "edited":
            it["description"] = edit_words(rng, it["description"], words, 2)
            it["title"] = edit_words(rng, it["title"], words)
        if f == "renamed":  # a new address, the rest the same
            it["link"] = it["link"].replace("/p/", "/posts/")
        right.append((it, i))
    for k in range(added):
        right.insert(0, ({"title": sentence(rng, words, 4), "link": "https://example.org/new/%d" % k,
                          "description": sentence(rng, words, 18), "date": "2027-01-%02d" % (1 + k % 28),
                          "guid": "urn:uuid:new%05d" % k, "category": rng.choice(cats),
                          "creator": rng.choice(words)}, n + k))

    def item(it):
        ns = ' xmlns:dc="http://purl.org/dc/elements/1.1/"' if namespaced else ""
        creator = "<dc:creator>%s</dc:creator>" % it["creator"] if namespaced else ""
        return ("<item%s><title>%s</title><link>%s</link><description>%s</description><pubDate>%s</pubDate>"
                "%s<guid>%s</guid><category>%s</category></item>" % (
                    ns, esc(it["title"]), it["link"], esc(it["description"]), it["date"], creator, it["guid"],
                    it["category"]))
    p.left = [(item(it), i) for i, it in enumerate(items)]
    p.right = [(item(it), t) for it, t in right]
    return "rss><channel", p


def shape_pom(rng, n, words):
    """Build dependencies: identity is groupId + artifactId together."""
    p = Pair("/project[1]/dependencies[1]", "dependency")
    groups = ["org.%s.%s" % (rng.choice(words), rng.choice(words)) for _ in range(max(2, n // 3))]
    seen = set()
    deps = []
    while len(deps) < n:
        g, a = rng.choice(groups), rng.choice(("core", "api", "util", "impl")) + ("" if rng.random() < 0.5 else "-" + rng.choice(words))
        if (g, a) in seen:
            continue
        seen.add((g, a))
        deps.append((g, a, "%d.%d.%d" % (rng.randrange(1, 6), rng.randrange(20), rng.randrange(10)),
                     rng.choice(("compile", "test", "runtime"))))
    fate, added = fates(rng, n)
    right = []
    for i, (g, a, v, s) in enumerate(deps):
        f = fate[i]
        if f == "removed":
            continue
        if f in ("edited", "renamed"):  # a version bump
            v = v + ".1"
        right.append(((g, a, v, s), i))
    for k in range(added):
        right.append((("org.added%d.%s" % (k, rng.choice(words)), rng.choice(words) + "-new", "1.0.%d" % k, "test"), n + k))

    def dep(d):
        return ("<dependency><groupId>%s</groupId><artifactId>%s</artifactId><version>%s</version>"
                "<scope>%s</scope></dependency>" % d)
    p.left = [(dep(d), i) for i, d in enumerate(deps)]
    p.right = [(dep(d), t) for d, t in right]
    return "project><dependencies", p


def shape_contacts(rng, n, words):
    """An address book: the email child identifies, names may repeat."""
    p = Pair("/contacts[1]", "contact")
    people = []
    for i in range(n):
        people.append(("%s %s" % (rng.choice(words[:40]).title(), rng.choice(words[:20]).title()),
                       "%s%d@mail.example" % (rng.choice(words), i), "+47 %08d" % rng.randrange(10 ** 8),
                       rng.choice(words).title()))
    fate, added = fates(rng, n)
    right = []
    for i, c in enumerate(people):
        f = fate[i]
        if f == "removed":
            continue
        if f in ("edited", "renamed"):
            c = (c[0], c[1], "+47 %08d" % rng.randrange(10 ** 8), c[3])
        right.append((c, i))
    for k in range(added):
        right.insert(rng.randrange(len(right) + 1), (("%s New" % rng.choice(words).title(), "new%d@mail.example" % k,
                                                     "+46 %08d" % k, rng.choice(words).title()), n + k))
    right = shuffled_some(rng, right)

    def contact(c):
        return "<contact><name>%s</name><email>%s</email><phone>%s</phone><city>%s</city></contact>" % c
    p.left = [(contact(c), i) for i, c in enumerate(people)]
    p.right = [(contact(c), t) for c, t in right]
    return "contacts", p


def shape_prose(rng, n, words):
    """Paragraphs of a document with word edits; no identity but the words."""
    p = Pair("/doc[1]/section[1]", "para")
    paras = [" ".join(sentence(rng, words, rng.randint(6, 14)) for _ in range(rng.randint(1, 3))) for _ in range(n)]
    fate, added = fates(rng, n, moved=False)
    right = []
    for i, t in enumerate(paras):
        f = fate[i]
        if f == "removed":
            continue
        if f in ("edited", "renamed"):
            t = edit_words(rng, t, words, 1 + len(t.split()) // 12)
        right.append((t, i))
    for k in range(added):
        right.insert(rng.randrange(len(right) + 1), (sentence(rng, words, 10), n + k))
    p.left = [("<para>%s</para>" % esc(t), i) for i, t in enumerate(paras)]
    p.right = [("<para>%s</para>" % esc(t), tt) for t, tt in right]
    return "doc><section", p


def shape_log(rng, n, words):
    """Log lines: a time stamp in the text, a level shared by most, and one
    line in ten edited in place."""
    p = Pair("/log[1]", "line")
    lines = []
    for i in range(n):
        lines.append(("INFO" if rng.random() < 0.8 else "WARN",
                      "2026-03-01T%02d:%02d:%02d.%03d worker-%d %s" % (
                          i // 3600000 % 24, i // 60000 % 60, i // 1000 % 60, i % 1000, rng.randrange(16),
                          sentence(rng, words, rng.randint(5, 9)))))
    right = []
    for i, (lvl, t) in enumerate(lines):
        if rng.random() < 0.1:
            t = edit_words(rng, t, words)
        right.append(((lvl, t), i))
    p.left = [('<line level="%s">%s</line>' % (lvl, esc(t)), i) for i, (lvl, t) in enumerate(lines)]
    p.right = [('<line level="%s">%s</line>' % (lvl, esc(t)), tt) for (lvl, t), tt in right]
    return "log", p


def shape_config(rng, n, words):
    """Configuration: one element of each name, values changed in place."""
    p = Pair("/config[1]", None)
    names = ["%s%d" % (rng.choice(words), i) for i in range(n)]
    left, right = [], []
    for i, nm in enumerate(names):
        val = rng.choice(words)
        left.append(('<%s enabled="true"><value>%s</value></%s>' % (nm, val, nm), i, nm))
        r = rng.random()
        if r < 0.05:
            continue
        if r < 0.3:
            val = val + "-changed"
        right.append(('<%s enabled="true"><value>%s</value></%s>' % (nm, val, nm), i, nm))
    for k in range(max(1, n // 20)):
        nm = "added%d" % k
        right.append(('<%s enabled="false"><value>x</value></%s>' % (nm, nm), n + k, nm))
    p.left, p.right = left, right
    return "config", p


SHAPES = {
    "ids": lambda rng, n, w: shape_ids(rng, n, w),
    "ids+counter": lambda rng, n, w: shape_ids(rng, n, w, counter=True),
    "counter": shape_counter,
    "feed": lambda rng, n, w: shape_feed(rng, n, w),
    "feed-ns": lambda rng, n, w: shape_feed(rng, n, w, namespaced=True),
    "build": shape_pom,
    "contacts": shape_contacts,
    "prose": shape_prose,
    "log": shape_log,
    "config": shape_config,
}


def write_pair(root, p, folder):
    open_tags = ["<%s>" % t for t in root.split("><")]
    close_tags = ["</%s>" % t.split()[0] for t in reversed(root.split("><"))]
    paths = []
    for side, records in (("left", p.left), ("right", p.right)):
        path = os.path.join(folder, side + ".xml")
        with open(path, "w", encoding="utf-8") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n' + "".join(open_tags) + "\n")
            for r in records:
                f.write("  " + r[0] + "\n")
            f.write("".join(close_tags) + "\n")
        paths.append(path)
    return paths


STEP = re.compile(r"/([^/\[]+)\[(\d+)\]")


def record_of(path, p, config_names):
    """(name, index) of the record a listed path lies in, or None above records."""
    if not path.startswith(p.parent + "/"):
        return None, False
    rest = path[len(p.parent):]
    m = STEP.match(rest)
    if not m:
        return None, False
    at_record = m.end() == len(rest)
    return (m.group(1), int(m.group(2))), at_record


def index_records(records, named):
    """Each record's (name, index among its same-named siblings) -> truth id."""
    counts, out = {}, {}
    for r in records:
        name = r[2] if named else None
        tag = name or re.match(r"<([\w:.-]+)", r[0]).group(1)
        counts[tag] = counts.get(tag, 0) + 1
        out[(tag, counts[tag])] = r[1]
    return out


def score(p, doc):
    named = p.name is None
    lrec = index_records(p.left, named)
    rrec = index_records(p.right, named)
    rtruth = {t: k for k, t in rrec.items()}
    ltruth = {t: k for k, t in lrec.items()}
    pairs, removed, added = set(), set(), set()
    touched_l, touched_r = set(), set()
    for d in doc.get("differences", []):
        lp = d["left"]["path"] if d.get("left") else None
        rp = d["right"]["path"] if d.get("right") else None
        lk, lat = record_of(lp, p, named) if lp else (None, False)
        rk, rat = record_of(rp, p, named) if rp else (None, False)
        if d["kind"] == "deleted" and lk:
            touched_l.add(lk)
            if lat:
                removed.add(lk)
        elif d["kind"] == "added" and rk:
            touched_r.add(rk)
            if rat:
                added.add(rk)
        elif lk and rk:
            pairs.add((lk, rk))
            touched_l.add(lk)
            touched_r.add(rk)
    # Records the listing does not name paired with an identical record: their own.
    for k, t in lrec.items():
        if k not in touched_l and t in rtruth and rtruth[t] not in touched_r:
            pairs.add((k, rtruth[t]))
    truth_pairs = {(ltruth[t], rtruth[t]) for t in ltruth if t in rtruth}
    truth_removed = {ltruth[t] for t in ltruth if t not in rtruth}
    truth_added = {rtruth[t] for t in rtruth if t not in ltruth}
    reported = len(pairs) + len(removed) + len(added)
    right = len(pairs & truth_pairs) + len(removed & truth_removed) + len(added & truth_added)
    truth = len(truth_pairs) + len(truth_removed) + len(truth_added)
    return (right / reported if reported else 1.0, right / truth if truth else 1.0,
            len(pairs & truth_pairs), len(truth_pairs))


def run(build, left, right, extra):
    exe = os.path.join(build, "src", "app", "quillon-diff")
    res = subprocess.run([exe, "--format", "json"] + extra + [left, right], capture_output=True, text=True)
    if res.returncode not in (0, 1):
        sys.exit("quillon-diff failed (%d): %s" % (res.returncode, res.stderr.strip()))
    return json.loads(res.stdout)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--build", default="build")
    ap.add_argument("--shapes", default=",".join(SHAPES))
    ap.add_argument("--sizes", default="10,100,1000")
    ap.add_argument("--seed", type=int, default=7)
    ap.add_argument("--keep", help="write the pairs under this folder and keep them")
    args = ap.parse_args()
    sizes = [int(s) for s in args.sizes.split(",")]
    folder = args.keep or tempfile.mkdtemp(prefix="pairing-truth-")
    print("%-12s %7s  %-17s %-17s" % ("shape", "members", "default P / R", "--pair-unrelated P / R"))
    worst = {}
    for shape in args.shapes.split(","):
        for n in sizes:
            rng = random.Random("%s/%d/%d" % (shape, n, args.seed))
            words = vocabulary(rng, 3000)
            root, p = SHAPES[shape](rng, n, words)
            where = os.path.join(folder, "%s-%d" % (shape, n))
            os.makedirs(where, exist_ok=True)
            left, right = write_pair(root, p, where)
            row = []
            for extra in ([], ["--pair-unrelated"]):
                prec, rec, _, _ = score(p, run(args.build, left, right, extra))
                row.append((prec, rec))
            worst.setdefault(shape, [1, 1, 1, 1])
            w = worst[shape]
            w[:] = [min(w[0], row[0][0]), min(w[1], row[0][1]), min(w[2], row[1][0]), min(w[3], row[1][1])]
            print("%-12s %7d  %.3f / %.3f     %.3f / %.3f" % (shape, n, row[0][0], row[0][1], row[1][0], row[1][1]))
    print()
    print("lowest per shape   default P / R     --pair-unrelated P / R")
    for shape, w in worst.items():
        print("%-12s        %.3f / %.3f     %.3f / %.3f" % (shape, w[0], w[1], w[2], w[3]))


if __name__ == "__main__":
    main()
