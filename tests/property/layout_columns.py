#!/usr/bin/env python3
"""Cutting the lines that marlune -au writes at the columns that
`marlune-layout --for` gives for the same file yields back the value of
every field, and --for lists exactly the rows the lines were written with.

usage: layout_columns.py MARLUNE MARLUNE_LAYOUT [SEED...]

For generated canonical interchanges over all batch releases (levels A and
B, with and without -D) and over the releases with interactive directories
(with -I), `marlune-layout --for FILE --format csv` with the same options
(and --level B at level B) is read with the csv module, header first. Its
(tag, directory) pairs must be the rows the lookup takes for the segments of
the file, in the order of first use, no more and no fewer; every line that
marlune writes, cut at the columns of its pair, must give back, with the fill
removed, the value the generator put into each field.
"""
import csv
import io
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
        return self.row(tag, k)[1]

    def row(self, tag, k):
        """The table the lookup takes `tag` from, and its definition."""
        for j in range(k, -2, -1):
            if self.interactive and j in self.inter and tag in self.inter[j]:
                name = INTERACTIVE[j]
                return "I.%s" % name[1:], self.inter[j][tag]
            d = self.dirs[j + 1].get(tag)
            if d:
                return gen.D_NAMES_X[j + 1], d
        return "default", self.default.get(tag)

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
        lines.append((cat.row(tag, k)[0], tag, [v for vals in values for v in vals]))

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


def layouts_for(program, opt, src, kind):
    """The pairs (tag, directory) of `marlune-layout --for`, in its order,
    with the columns of each; None and a reason when the CSV is not one
    header row and its rows."""
    args = [program, "--for", src] + opt + (["--level", "B"] if kind == "B" else []) + ["--format", "csv"]
    text = subprocess.run(args, check=True, capture_output=True, text=True).stdout
    rows = list(csv.reader(io.StringIO(text, newline="")))
    header = ["tag", "field", "first", "last", "width", "type", "composite", "component", "element", "name",
              "directory"]
    if not rows or rows[0] != header:
        return None, "first row is not the header: %r" % (rows[0] if rows else None)
    pairs = {}
    for r in rows[1:]:
        if len(r) != len(header):
            return None, "row of %d cells: %r" % (len(r), r)
        row = dict(zip(header, r))
        fields = pairs.setdefault((row["tag"], row["directory"]), [])
        if int(row["field"]) != len(fields) + 1:
            return None, "field %s out of order" % row["field"]
        fields.append((int(row["first"]), int(row["last"]), row["type"]))
    return pairs, None


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
    failures = lines_checked = fields_checked = files = 0
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
                    pairs, why = layouts_for(layout, opt, src, kind)
                    files += 1
                    if pairs is None:
                        print("FAIL %s: --for CSV: %s" % (name, why))
                        failures += 1
                        continue
                    used = list(dict.fromkeys((tag, directory) for directory, tag, _ in lines))
                    if list(pairs) != used:
                        print("FAIL %s: --for lists %s, the lines use %s" % (name, list(pairs), used))
                        failures += 1
                        continue
                    if len(written) != len(lines):
                        print("FAIL %s: %d lines written, %d segments" % (name, len(written), len(lines)))
                        failures += 1
                        continue
                    for no, (line, (directory, tag, values)) in enumerate(zip(written, lines), 1):
                        columns = pairs[(tag, directory)]
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
    print("%d interchanges, %d lines, %d fields cut at the columns of --for (seeds %s)" % (
        files, lines_checked, fields_checked, " ".join(map(str, seeds))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
