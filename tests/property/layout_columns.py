#!/usr/bin/env python3
"""Cutting uncompressed lines at the columns that marlune-layout gives them
yields back the value of every field.

usage: layout_columns.py MARLUNE MARLUNE_LAYOUT [SEED...]

For generated canonical interchanges over all batch releases (levels A and
B, with and without -D) and over the releases with interactive directories
(with -I), and over all releases up to D.24A (marlune -X; marlune-layout
knows them without an option), every line that marlune -au/-bu writes is cut at the columns of
`marlune-layout --format csv` for the directory in force at that line; with
the fill removed, each piece must equal the value the generator put into
that field.
"""
import csv
import os
import random
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_interchange as gen  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))
CATALOGUE = os.path.join(HERE, "..", "..", "data", "catalogue")
INTERACTIVE = {11: "I96B", 12: "I97A", 13: "I97B", 14: "I98A", 15: "I98B", 16: "I99A"}
for _k, _r in enumerate(gen.NEWER, 17):
    INTERACTIVE[_k] = "I" + _r


class Catalogue(gen.Catalogue):
    """The generator's catalogue, with the interactive directory of a step
    searched first when `interactive` is set (marlune -I)."""

    def __init__(self, root, interactive, extended=False):
        super().__init__(root, extended)
        self.interactive = interactive
        self.extended = extended
        self.last = 66 if extended else 16
        self.inter = {k: gen.load(os.path.join(root, f + ".txt")) for k, f in INTERACTIVE.items()
                      if k <= self.last}

    def resolve(self, tag, k):
        for j in range(k, -2, -1):
            if self.interactive and j in self.inter and tag in self.inter[j]:
                return self.inter[j][tag]
            d = self.dirs[j + 1].get(tag)
            if d:
                return d
        return self.default.get(tag)

    def body_tags(self, k, own_only):
        tags = super().body_tags(k, own_only)
        if self.interactive and k in self.inter:
            tags = sorted(set(tags) | set(self.inter[k]))
        return tags


def interchange(cat, seed, kind):
    """Like gen.interchange, but also returns, per line, the directory in
    force and the value of every field (None: empty)."""
    rng = random.Random("layout-%s-%s-%s%s" % (seed, kind, cat.interactive, "-X" if cat.extended else ""))
    names, releases = (gen.D_NAMES_X, gen.RELEASES_X) if cat.extended else (gen.D_NAMES, gen.RELEASES)
    g = gen.Gen(rng, kind)
    edi, lines = [], []

    def emit(tag, k, fixed=None):
        elements, values = g.segment(cat.resolve(tag, k), fixed)
        edi.append(g.compressed(tag, values))
        lines.append((names[k + 1], tag, [v for vals in values for v in vals]))

    low = 11 if cat.interactive else -1
    use_d = cat.interactive or rng.random() < 0.8
    k = rng.randint(low, cat.last) if use_d else 0
    opt = (["-X"] if cat.extended else []) + (["-I"] if cat.interactive else []) + \
        (["-D", names[k + 1]] if use_d else [])
    emit("UNB", k, {1: "UNOB" if kind == "B" else "UNOA", 2: str(rng.randint(1, 3))})
    messages = rng.randint(1, 3)
    for m in range(messages):
        release = k if (m == 0 and use_d and rng.random() < 0.7) else rng.randint(low, cat.last)
        ref = "M%d" % (m + 1)
        emit("UNH", k, {1: ref, 2: "ORDERS", 3: "D", 4: releases[release + 1]})
        k = release
        tags, own = cat.body_tags(k, own_only=False), cat.body_tags(k, own_only=True)
        count = rng.randint(20, 60)
        for _ in range(count):
            emit(rng.choice(own if own and rng.random() < 0.7 else tags), k)
        emit("UNT", k, {1: str(count + 2), 2: ref})
    emit("UNZ", k, {1: str(messages), 2: "IC%d" % seed})
    return opt, "".join(edi), lines


class Layouts:
    """Columns of every tag, per directory, from marlune-layout --format csv."""

    def __init__(self, program):
        self.program = program
        self.cache = {}

    def columns(self, directory, interactive):
        key = (directory, interactive)
        if key not in self.cache:
            args = [self.program] + (["-I"] if interactive else []) + ["-D", directory, "--format", "csv"]
            text = subprocess.run(args, check=True, capture_output=True, text=True).stdout
            rows = csv.DictReader(line for line in text.splitlines() if not line.startswith("#"))
            table = {}
            for r in rows:
                table.setdefault(r["tag"], []).append((int(r["first"]), int(r["last"]), r["type"]))
            self.cache[key] = table
        return self.cache[key]


def unfill(piece, typ):
    """The value of a field cut from its line: the fill removed."""
    if typ == "A":
        value = piece.rstrip(" ")
    elif typ == "n":
        value = piece  # a number of fixed length keeps its digits
    elif piece.strip(" ") == "":
        value = ""
    elif piece.startswith("-"):
        value = "-" + piece[1:].lstrip("0")
    else:
        value = piece.lstrip("0") or "0"
    return value or None


def main():
    marlune, layout = sys.argv[1], sys.argv[2]
    seeds = [int(s) for s in sys.argv[3:]] or list(range(1, 9))
    layouts = Layouts(layout)
    failures = lines_checked = fields_checked = 0
    with tempfile.TemporaryDirectory() as work:
        for interactive, extended in ((False, False), (True, False), (False, True), (True, True)):
            cat = Catalogue(CATALOGUE, interactive, extended)
            for seed in seeds:
                for kind in ("AP" if interactive else "ABP"):
                    opt, edi, lines = interchange(cat, seed, kind)
                    src, out = os.path.join(work, "in.edi"), os.path.join(work, "out.unc")
                    with open(src, "w", encoding="latin-1", newline="") as f:
                        f.write(edi)
                    command = [marlune] + opt + ["-bu" if kind == "B" else "-au", src, out]
                    run = subprocess.run(command, capture_output=True)
                    if run.returncode != 0:
                        print("FAIL", " ".join(command), run.stderr.decode("latin-1")[:200])
                        failures += 1
                        continue
                    with open(out, encoding="latin-1", newline="") as f:
                        written = f.read().split("\n")[:-1]
                    name = "seed %d kind %s%s%s" % (seed, kind, " -I" if interactive else "", " -X" if extended else "")
                    if len(written) != len(lines):
                        print("FAIL %s: %d lines written, %d segments" % (name, len(written), len(lines)))
                        failures += 1
                        continue
                    for no, (line, (directory, tag, values)) in enumerate(zip(written, lines), 1):
                        columns = layouts.columns(directory, interactive)[tag]
                        width = columns[-1][1] if columns else 3
                        got = [unfill(line[a - 1:b], t) for a, b, t in columns]
                        lines_checked += 1
                        fields_checked += len(got)
                        if line[:3] != tag or len(line) != width or got != values:
                            print("FAIL %s line %d (%s, %s): %r" % (name, no, tag, directory, line[:80]))
                            for i, (w, v) in enumerate(zip(got, values), 1):
                                if w != v:
                                    print("  field %d: cut %r, value %r" % (i, w, v))
                                    break
                            failures += 1
    if failures:
        print("%d failure(s)" % failures)
        return 1
    print("%d lines, %d fields cut at their columns (seeds %s)" % (lines_checked, fields_checked,
                                                                    " ".join(map(str, seeds))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
