#!/usr/bin/env python3
"""Write a large synthetic level A EDIFACT interchange for the benchmark.

One segment per line (terminator followed by a line feed): UNA, UNB, then
ORDERS D.96A messages (UNH, BGM, DTM, NAD, FTX, line items with LIN, QTY,
MOA and FTX, UNS, MOA, CNT, UNT) and UNZ. Free texts carry escape pairs
(?+ ?: ?' ??). Only level A characters are used.

Usage: gen.py OUT --mb 40            # about 40 MB
       gen.py OUT --messages 10000   # exact number of messages
       gen.py OUT --mb 40 --repeat 10
The last form writes the same block of messages (renumbered) ten times, which
is much faster than generating 400 MB of fresh text and gives identical
per-message content. The output is deterministic (fixed seed).
Prints the number of messages and segments on standard output.
"""
import argparse
import random
import sys

WORDS = ("ORDER", "PALLET", "CARTON", "GATE", "DOCK", "URGENT", "FRAGILE",
         "KEEP DRY", "HANDLE WITH CARE", "DELIVER", "BEFORE", "AFTER", "NOON",
         "RING TWICE", "STACK", "MAX", "TEMP", "FROZEN", "CHILLED", "SHELF")
ESC = ("?+", "?:", "?'", "??")
CITIES = ("SPRINGFIELD", "ROTTERDAM", "HAMBURG", "ANTWERPEN", "LYON", "MILANO")


def text(rng, n):
    out = ""
    for _ in range(n):
        part = rng.choice(WORDS)
        if rng.random() < 0.5:
            part += " " + rng.choice(ESC)
        if len(out) + len(part) + 1 > 70:  # never split an escape pair
            break
        out = (out + " " + part) if out else part
    return out


def message(rng, ref, items):
    seg = []
    a = seg.append
    a("UNH+%d+ORDERS:D:96A:UN'" % ref)
    a("BGM+220+PO%08d+9'" % ref)
    a("DTM+137:2026%02d%02d:102'" % (rng.randint(1, 12), rng.randint(1, 28)))
    a("DTM+2:2026%02d%02d1200:203'" % (rng.randint(1, 12), rng.randint(1, 28)))
    a("FTX+AAI+++%s:%s'" % (text(rng, 5), text(rng, 4)))
    a("NAD+BY+54%011d::9++FINE FOODS ?+ CO?: LTD+MAIN STREET %d+%s++%05d+US'"
      % (rng.randrange(10**11), rng.randint(1, 999), rng.choice(CITIES),
         rng.randrange(100000)))
    a("NAD+SU+40%011d::9'" % rng.randrange(10**11))
    total = 0.0
    for i in range(1, items + 1):
        qty = rng.randint(1, 500)
        price = rng.randint(1, 99999) / 100.0
        amount = qty * price
        total += amount
        a("LIN+%d++40%011d:SRS'" % (i, rng.randrange(10**11)))
        a("QTY+21:%d:PCE'" % qty)
        a("MOA+203:%.2f:EUR'" % amount)
        a("FTX+LIN+++%s'" % text(rng, 3))
    a("UNS+S'")
    a("MOA+86:%.2f:EUR'" % total)
    a("CNT+2:%d'" % items)
    a("UNT+%d+%d'" % (len(seg) + 1, ref))
    return seg


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("out")
    ap.add_argument("--mb", type=float, default=40.0)
    ap.add_argument("--messages", type=int, default=0)
    ap.add_argument("--repeat", type=int, default=1)
    ap.add_argument("--items", type=int, default=12)
    ap.add_argument("--seed", type=int, default=9735)
    args = ap.parse_args()

    rng = random.Random(args.seed)
    target = int(args.mb * 1_000_000)
    nmsg = 0
    nseg = 0
    size = 0
    block = []  # list of (segments) for one repetition
    while True:
        if args.messages and nmsg >= args.messages:
            break
        if not args.messages and size >= target:
            break
        nmsg += 1
        segs = message(rng, nmsg, args.items)
        block.append(segs)
        size += sum(len(s) + 1 for s in segs)
        nseg += len(segs)

    with open(args.out, "w", encoding="ascii", newline="\n") as f:
        f.write("UNA:+.? '\n")
        f.write("UNB+UNOA:1+SENDER01:14+RECEIVER02:14+261208:0930+REF0001++ORDERS'\n")
        ref = 0
        for rep in range(args.repeat):
            chunk = []
            for segs in block:
                ref += 1
                if rep:  # renumber UNH/UNT references
                    first = segs[0].split("+", 2)
                    last = segs[-1].rsplit("+", 1)
                    segs = ["%s+%d+%s" % (first[0], ref, first[2])] + segs[1:-1] + \
                           ["%s+%d'" % (last[0], ref)]
                chunk.append("\n".join(segs))
                chunk.append("\n")
            f.write("".join(chunk))
        f.write("UNZ+%d+REF0001'\n" % ref)
    print("%d messages, %d segments" % (ref, nseg * args.repeat + 3))


if __name__ == "__main__":
    sys.exit(main())
