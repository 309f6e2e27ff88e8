#!/usr/bin/env python3
"""The CSV of `marlune-layout --for` loads with Python's csv module as it
is: the header row first, one row per field, quoted cells read back whole;
and its columns cut the lines that marlune -au writes for the same file.

usage: load_csv.py MARLUNE MARLUNE_LAYOUT INTERCHANGE
"""
import csv
import io
import subprocess
import sys


def main():
    marlune, layout, edi = sys.argv[1:4]
    text = subprocess.run([layout, "--for", edi, "--format", "csv"], check=True, capture_output=True,
                          text=True).stdout
    reader = csv.DictReader(io.StringIO(text, newline=""))
    header = ["tag", "field", "first", "last", "width", "type", "composite", "component", "element", "name",
              "directory"]
    failures = []
    if reader.fieldnames != header:
        failures.append("header: %r" % reader.fieldnames)
    rows = list(reader)
    layouts = {}
    for r in rows:
        if None in r or None in r.values():
            failures.append("row of another length: %r" % r)
            continue
        layouts.setdefault(r["tag"], []).append(r)
    if not any(r["name"] == "Currency, coded" for r in rows):
        failures.append("a quoted name with a comma was not read whole")
    unc = subprocess.run([marlune, "-au", edi, "-"], check=True, capture_output=True).stdout.decode("latin-1")
    lines = unc.split("\n")[:-1]
    # UNA has no fields, so no rows.
    tags = [line[:3] for line in lines if line[:3] != "UNA"]
    if list(dict.fromkeys(tags)) != list(layouts):
        failures.append("tags %r, lines %r" % (list(layouts), list(dict.fromkeys(tags))))
    for line in lines:
        fields = layouts.get(line[:3], [])
        width = int(fields[-1]["last"]) if fields else 3
        if len(line) != width:
            failures.append("%s line of %d characters, layout %d" % (line[:3], len(line), width))
    amounts = [line[int(f["first"]) - 1:int(f["last"])] for line in lines if line.startswith("MOA")
               for f in layouts["MOA"] if f["element"] == "5004"]
    if amounts != ["-00000000001234.50", "0000000000000099.9"]:
        failures.append("amounts %r" % amounts)
    for f in failures:
        print("FAIL", f)
    if failures:
        return 1
    print("%d rows of %d layouts loaded; %d lines cut" % (len(rows), len(layouts), len(lines)))
    return 0


if __name__ == "__main__":
    sys.exit(main())
