#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Deterministic XML documents for benchmarks and stress tests.

  gen_catalog.py catalog --mb 100 --out DIR [--changed 0.01] [--removed 0.005]
                 [--added 0.005] [--shuffle] [--renotate] [--seed N]
      writes DIR/left.xml and DIR/right.xml: a catalog of product records of
      about the given size (left.xml). In right.xml the given shares of the
      records are changed (price and name), removed and added. --shuffle
      reorders the records of right.xml; --renotate writes its dates as
      month/day/year and its prices without trailing zeros and with a
      thousands separator, so the pair differs in notation only where no
      record changed.
  gen_catalog.py triple --mb 100 --out DIR [--changed 0.01] [--removed 0.005]
                 [--added 0.005] [--seed N]
      writes DIR/base.xml, DIR/ours.xml, DIR/theirs.xml and DIR/merged.xml:
      a catalog and two edits of it, each changing, removing and adding the
      given shares of records (ours the name and price, theirs the stock, so
      that a record both change merges cleanly), and the merge a person
      would make: each side's changes, ours added before theirs where both
      add behind the same record. No record is removed on one side and
      changed on the other.
  gen_catalog.py deep --depth 100000 --out FILE   one chain of nested elements
  gen_catalog.py wide --names 5000 --out FILE     one element with that many distinct child names

The same arguments always give the same bytes, on any Python 3: the random
choices come from a small generator of our own, not from the random module.
"""
import argparse
import os

WORDS = ("amber basalt cedar dune ember fjord garnet heath iris jade kestrel "
         "lagoon marble nectar onyx pewter quartz russet sable topaz umber "
         "vellum willow xenon yarrow zephyr").split()
MAKERS = ("Arden", "Brisk", "Corvo", "Delmar", "Eskel", "Fenwick", "Galt", "Holm")
CURRENCIES = ("EUR", "USD", "GBP")


class Rng:
    """splitmix64: tiny, fast enough, and the same everywhere."""

    def __init__(self, *seed):
        s = 0x9E3779B97F4A7C15
        for part in seed:
            s = (s * 0x100000001B3 ^ (part & 0xFFFFFFFFFFFFFFFF)) & 0xFFFFFFFFFFFFFFFF
        self.state = s

    def next(self):
        self.state = (self.state + 0x9E3779B97F4A7C15) & 0xFFFFFFFFFFFFFFFF
        z = self.state
        z = ((z ^ (z >> 30)) * 0xBF58476D1CE4E5B9) & 0xFFFFFFFFFFFFFFFF
        z = ((z ^ (z >> 27)) * 0x94D049BB133111EB) & 0xFFFFFFFFFFFFFFFF
        return z ^ (z >> 31)

    def below(self, n):
        return self.next() % n

    def choice(self, seq):
        return seq[self.below(len(seq))]

    def fraction(self):
        return (self.next() >> 11) / float(1 << 53)


def price_text(cents, renotate):
    whole, frac = divmod(cents, 100)
    if not renotate:
        return "%d.%02d" % (whole, frac)
    if not frac:
        return "%d" % whole  # "1,234" alone would read as one point two three four
    return "{:,}".format(whole) + "." + ("%02d" % frac).rstrip("0")


def record(seed, i, renotate=False, change=False, restock=False):
    rng = Rng(seed, i)
    name = " ".join(rng.choice(WORDS) for _ in range(3))
    maker = rng.choice(MAKERS)
    cents = 100 + rng.below(250000)
    y, m, d = 1960 + rng.below(65), 1 + rng.below(12), 1 + rng.below(28)
    keywords = [rng.choice(WORDS) for _ in range(1 + rng.below(3))]
    note = " ".join(rng.choice(WORDS) for _ in range(10))
    stock = rng.below(500)
    currency = rng.choice(CURRENCIES)
    if change:
        cents += 1
        name += " mk2"
    if restock:
        stock += 1
    date = "%d/%d/%04d" % (m, d, y) if renotate else "%04d-%02d-%02d" % (y, m, d)
    return ('  <product sku="P%08d" stock="%d">\n'
            "    <name>%s</name>\n    <maker>%s</maker>\n"
            '    <price currency="%s">%s</price>\n    <released>%s</released>\n'
            "    <keywords>%s</keywords>\n    <note>%s</note>\n  </product>\n" % (
                i, stock, name, maker, currency, price_text(cents, renotate), date,
                "".join("<kw>%s</kw>" % k for k in keywords), note))


def catalog(args):
    os.makedirs(args.out, exist_ok=True)
    target = int(args.mb * 1024 * 1024)
    left, right = [], []
    size, i = 0, 0
    while size < target:
        text = record(args.seed, i)
        left.append(text)
        size += len(text)
        roll = Rng(args.seed, i, 0x5EED).fraction()
        if roll >= args.removed:
            right.append(record(args.seed, i, args.renotate, change=roll < args.removed + args.changed))
        if roll >= 1.0 - args.added:
            right.append(record(args.seed + 1, 50_000_000 + i, args.renotate))
        i += 1
    if args.shuffle:
        rng = Rng(args.seed, 0x5A1F)
        for k in range(len(right) - 1, 0, -1):
            j = rng.below(k + 1)
            right[k], right[j] = right[j], right[k]
    for name, records in (("left.xml", left), ("right.xml", right)):
        with open(os.path.join(args.out, name), "w", encoding="utf-8", newline="\n") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<catalog>\n')
            f.writelines(records)
            f.write("</catalog>\n")


def triple(args):
    os.makedirs(args.out, exist_ok=True)
    target = int(args.mb * 1024 * 1024)
    docs = {"base.xml": [], "ours.xml": [], "theirs.xml": [], "merged.xml": []}
    size, i = 0, 0

    def fate(roll):
        if roll < args.removed:
            return "removed"
        return "changed" if roll < args.removed + args.changed else "kept"

    while size < target:
        text = record(args.seed, i)
        docs["base.xml"].append(text)
        size += len(text)
        ours = fate(Rng(args.seed, i, 0x0A5).fraction())
        theirs = fate(Rng(args.seed, i, 0x7E1).fraction())
        # Removed on one side and changed on the other would be a conflict.
        if ours == "removed" and theirs == "changed":
            theirs = "kept"
        if theirs == "removed" and ours == "changed":
            ours = "kept"
        if ours != "removed":
            docs["ours.xml"].append(record(args.seed, i, change=ours == "changed"))
        if theirs != "removed":
            docs["theirs.xml"].append(record(args.seed, i, restock=theirs == "changed"))
        if "removed" not in (ours, theirs):
            docs["merged.xml"].append(record(args.seed, i, change=ours == "changed", restock=theirs == "changed"))
        for side, seed, base in (("ours.xml", 0x0A6, 60_000_000), ("theirs.xml", 0x7E2, 70_000_000)):
            if Rng(args.seed, i, seed).fraction() < args.added:
                added = record(args.seed + 1, base + i)
                docs[side].append(added)
                docs["merged.xml"].append(added)
        i += 1
    for name, records in docs.items():
        with open(os.path.join(args.out, name), "w", encoding="utf-8", newline="\n") as f:
            f.write('<?xml version="1.0" encoding="UTF-8"?>\n<!-- a generated catalog -->\n<catalog>\n')
            f.writelines(records)
            f.write("</catalog>\n")


def deep(args):
    with open(args.out, "w", encoding="utf-8", newline="\n") as f:
        f.write('<?xml version="1.0"?>\n')
        f.write("<n>" * args.depth)
        f.write("leaf")
        f.write("</n>" * args.depth)
        f.write("\n")


def wide(args):
    with open(args.out, "w", encoding="utf-8", newline="\n") as f:
        f.write('<?xml version="1.0"?>\n<root>\n')
        for k in range(args.names):
            f.write('  <name%d a="%d">%d</name%d>\n' % (k, k, k, k))
        f.write("</root>\n")


def share(text):
    value = float(text)
    if not 0.0 <= value <= 1.0:
        raise argparse.ArgumentTypeError("a share between 0 and 1 expected")
    return value


def main():
    p = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = p.add_subparsers(dest="kind", required=True)
    c = sub.add_parser("catalog")
    c.add_argument("--mb", type=float, default=10)
    c.add_argument("--out", required=True)
    c.add_argument("--changed", type=share, default=0.01, help="share of records changed on the right")
    c.add_argument("--removed", type=share, default=0.005, help="share of records missing on the right")
    c.add_argument("--added", type=share, default=0.005, help="share of records added on the right")
    c.add_argument("--shuffle", action="store_true")
    c.add_argument("--renotate", action="store_true")
    c.add_argument("--seed", type=int, default=1)
    t = sub.add_parser("triple")
    t.add_argument("--mb", type=float, default=10)
    t.add_argument("--out", required=True)
    t.add_argument("--changed", type=share, default=0.01, help="share of records each side changes")
    t.add_argument("--removed", type=share, default=0.005, help="share of records each side removes")
    t.add_argument("--added", type=share, default=0.005, help="share of records behind which each side adds one")
    t.add_argument("--seed", type=int, default=1)
    d = sub.add_parser("deep")
    d.add_argument("--depth", type=int, default=100000)
    d.add_argument("--out", required=True)
    w = sub.add_parser("wide")
    w.add_argument("--names", type=int, default=5000)
    w.add_argument("--out", required=True)
    args = p.parse_args()
    if args.kind in ("catalog", "triple") and args.removed + args.changed + args.added > 1.0:
        p.error("--removed, --changed and --added together exceed 1")
    {"catalog": catalog, "triple": triple, "deep": deep, "wide": wide}[args.kind](args)


if __name__ == "__main__":
    main()
