#!/usr/bin/env python3
"""Random canonical interchanges for the property tests.

Usage: gen_interchange.py CATALOGUE_DIR OUT_DIR SEED...

For every seed and every kind (A, B, P) it writes into OUT_DIR:
  <seed>.<kind>.edi   the compressed interchange
  <seed>.<kind>.unc   its expected uncompressed form (no options)
  <seed>.<kind>.opt   the -D option to convert it with (may be empty)
  <seed>.<kind>.blank.unc  the uncompressed form with numbers right-aligned
                      behind blanks instead of zeros (-12 in N5: two blanks,
                      then -12), as report writers and COBOL edited pictures
                      write them

Kinds: A = level A with every printable byte in the data (service characters
released with "?"); B = level B (0x1D, 0x1F, 0x1C), same data bytes;
P = level A whose data holds none of + : ' ? (no release characters at all).

"Canonical" means that expanding and compressing again gives the same bytes:
no trailing empty elements or components, alphanumeric values without
trailing blanks, numeric values without leading zeros ("0" itself aside),
numbers of fixed length ("n") with exactly their digits,
every value within its width. Each segment takes the definition that the
lookup will use: the directory in force (from -D before the first UNH, then
from the release of each UNH), then the older directories, then the default
table.
"""
import os
import random
import re
import sys

DIRS = ["881", "902", "911", "912", "921", "932", "D93A", "D94A", "D94B", "D95A",
        "D95B", "D96A", "D96B", "D97A", "D97B", "D98A", "D98B", "D99A"]  # index -1 .. 16
RELEASES = ["881", "902", "911", "912", "921", "932", "93A", "94A", "94B", "95A",
            "95B", "96A", "96B", "97A", "97B", "98A", "98B", "99A"]
D_NAMES = ["88.1", "90.2", "91.1", "91.2", "92.1", "93.2", "D.93A", "D.94A", "D.94B",
           "D.95A", "D.95B", "D.96A", "D.96B", "D.97A", "D.97B", "D.98A", "D.98B", "D.99A"]
# The releases after D.99A (marlune -X): indexes 17 .. 66.
NEWER = ["99B"] + ["%02d%s" % (y, h) for y in range(0, 23) for h in "AB"] + ["23A", "24A"]
NEWER.remove("01B")
NEWER[NEWER.index("02A"):NEWER.index("02A")] = ["01B", "01C"]
DIRS_X = DIRS + ["D" + r for r in NEWER]
RELEASES_X = RELEASES + NEWER
D_NAMES_X = D_NAMES + ["D." + r for r in NEWER]
FIELD = re.compile(r"([+:])([AaNn])(\d+)")

SEPS = {"A": ("+", ":", "'", "?"), "P": ("+", ":", "'", "?"),
        "B": ("\x1d", "\x1f", "\x1c", None)}


def load(path):
    table = {}
    with open(path, encoding="latin-1") as f:
        for line in f:
            line = line.rstrip("\n")
            if line and not line.startswith("#"):
                table[line[:3]] = line
    return table


def parse(definition):
    """Definition text -> list of data elements, each a list of (type, width)."""
    elements = []
    for lead, typ, width in FIELD.findall(definition[4:]):
        if lead == "+":
            elements.append([])
        elements[-1].append((typ if typ == "n" else typ.upper(), int(width)))
    return elements


class Catalogue:
    def __init__(self, root, extended=False):
        self.dirs = [load(os.path.join(root, d + ".txt")) for d in (DIRS_X if extended else DIRS)]
        self.default = load(os.path.join(root, "default.txt"))

    def resolve(self, tag, k):
        """Definition used for tag while directory index k (-1..16, -1..66 with -X) is in force."""
        for j in range(k, -2, -1):
            d = self.dirs[j + 1].get(tag)
            if d:
                return d
        return self.default.get(tag)

    def body_tags(self, k, own_only):
        pools = [self.dirs[k + 1]] if own_only else self.dirs[:k + 2] + [self.default]
        tags = set()
        for pool in pools:
            tags.update(pool)
        usable = []
        for t in sorted(tags):
            d = self.resolve(t, k)
            # Service segments belong to the frame; the long ARR is left out.
            if t.startswith("UN") or len(d) > 2000:
                continue
            usable.append(t)
        return usable


class Gen:
    def __init__(self, rng, kind):
        self.rng = rng
        self.kind = kind
        data = [chr(c) for c in range(0x20, 0x7f)] * 4 + ["\t", "\x1a"] + \
               [chr(c) for c in range(0x80, 0x100, 7)] + ["\xff"]
        if kind == "P":
            data = [c for c in data if c not in "+:'?"]
        self.alphabet = data

    def alpha(self, w):
        r = self.rng
        n = w if (w <= 40 and r.random() < 0.1) else r.randint(1, min(w, 12))
        s = [r.choice(self.alphabet) for _ in range(n)]
        while s[-1] == " ":  # trailing blanks would be trimmed
            s[-1] = r.choice(self.alphabet)
        return "".join(s)

    def numeric(self, w):
        r = self.rng
        while True:
            form = r.random()
            if form < 0.1:
                v = "0"
            else:
                digits = str(r.randint(1, 9)) + "".join(
                    r.choice("0123456789") for _ in range(r.randint(0, min(w, 12) - 1)))
                if form < 0.3 and len(digits) > 1:
                    cut = r.randint(0, len(digits) - 1)
                    v = digits[:cut] + "." + digits[cut:]
                else:
                    v = digits
                if r.random() < 0.25:
                    v = "-" + v
            if len(v) <= w:
                return v

    def fixed_number(self, w):
        """A number of fixed length: exactly w digits, leading zeros kept."""
        return "".join(self.rng.choice("0123456789") for _ in range(w))

    def value(self, typ, w):
        if typ == "n":
            return self.fixed_number(w)
        return self.alpha(w) if typ == "A" else self.numeric(w)

    def segment(self, definition, fixed=None):
        """Random values for every field (None = empty), fixed ones by field number."""
        r = self.rng
        elements = parse(definition)
        fixed = fixed or {}
        values, no = [], 0
        for element in elements:
            empty_element = r.random() < 0.3
            vals = []
            for typ, w in element:
                no += 1
                if no in fixed:
                    v = fixed[no]
                    if typ == "n":
                        v = "0" * (w - len(v)) + v
                    assert len(v) <= w and (typ != "N" or v[0] not in "0- " or v == "0"), (definition, v)
                elif typ == "n":
                    # Written as read by the compression: always its w digits here.
                    v = self.fixed_number(w)
                elif empty_element or r.random() < 0.35:
                    v = None
                else:
                    v = self.value(typ, w)
                vals.append(v)
            values.append(vals)
        return elements, values

    def compressed(self, tag, values):
        es, cs, st, rel = SEPS[self.kind]

        def esc(v):
            if rel is None:
                return v
            return "".join(rel + c if c in (es, cs, st, rel) else c for c in v)

        parts = []
        for vals in values:
            comps = [esc(v or "") for v in vals]
            while comps and comps[-1] == "":
                comps.pop()
            parts.append(cs.join(comps))
        while parts and parts[-1] == "":
            parts.pop()
        return tag + "".join(es + p for p in parts) + st + "\n"

    @staticmethod
    def uncompressed(tag, elements, values, fill="0"):
        out = [tag]
        for element, vals in zip(elements, values):
            for (typ, w), v in zip(element, vals):
                v = v or ""
                if typ == "A" or typ == "n":
                    out.append(v + " " * (w - len(v)))
                elif not v:
                    out.append(" " * w)
                elif fill == " ":
                    out.append(" " * (w - len(v)) + v)
                elif v[0] == "-":
                    out.append("-" + "0" * (w - len(v)) + v[1:])
                else:
                    out.append("0" * (w - len(v)) + v)
        return "".join(out) + "\n"


def interchange(cat, seed, kind):
    rng = random.Random("%s-%s" % (seed, kind))
    g = Gen(rng, kind)
    edi, unc, blank = [], [], []

    def emit(tag, k, fixed=None):
        definition = cat.resolve(tag, k)
        elements, values = g.segment(definition, fixed)
        edi.append(g.compressed(tag, values))
        unc.append(g.uncompressed(tag, elements, values))
        blank.append(g.uncompressed(tag, elements, values, " "))

    use_d = rng.random() < 0.8
    k = rng.randint(-1, 16) if use_d else 0
    opt = "-D " + D_NAMES[k + 1] if use_d else ""
    ident = "UNOB" if kind == "B" else "UNOA"
    emit("UNB", k, {1: ident, 2: str(rng.randint(1, 3))})
    messages = rng.randint(1, 3)
    for m in range(messages):
        if m == 0 and use_d and rng.random() < 0.7:
            release = k  # the release that -D already chose
        else:
            release = rng.randint(-1, 16)
        ref = "M%d" % (m + 1)
        emit("UNH", k, {1: ref, 2: "ORDERS", 3: "D", 4: RELEASES[release + 1]})
        k = release
        tags = cat.body_tags(k, own_only=False)
        own = cat.body_tags(k, own_only=True)
        count = rng.randint(20, 60)
        for _ in range(count):
            emit(rng.choice(own if own and rng.random() < 0.7 else tags), k)
        emit("UNT", k, {1: str(count + 2), 2: ref})
    emit("UNZ", k, {1: str(messages), 2: "IC%d" % seed})
    return opt, "".join(edi), "".join(unc), "".join(blank)


def main():
    cat = Catalogue(sys.argv[1])
    out = sys.argv[2]
    for seed in map(int, sys.argv[3:]):
        for kind in "ABP":
            opt, edi, unc, blank = interchange(cat, seed, kind)
            base = os.path.join(out, "%d.%s" % (seed, kind))
            for ext, text in ((".edi", edi), (".unc", unc), (".opt", opt), (".blank.unc", blank)):
                with open(base + ext, "w", encoding="latin-1", newline="") as f:
                    f.write(text)


if __name__ == "__main__":
    main()
