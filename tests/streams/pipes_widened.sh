#!/usr/bin/env bash
# The pipes a run reads and writes are widened (to 256 KiB) for the time
# they are open, so that the programs at their other ends wait less; the
# output is the same as from and to files. A pipe wider already stays so.
set -u
source "$(dirname "$0")/lib.bash"
many 20

python3 - "$bin" <<'PY' || failures=$((failures + 1))
import fcntl, os, subprocess, sys, threading
binary = sys.argv[1]
WIDE = 256 * 1024
# command | input | width set on both pipes first (0: the default)
cases = [("-au", "many.edi", 0), ("-ua", "many.unc", 0), ("-ab", "many.edi", 0), ("-au", "many.edi", 2 * WIDE)]
failed = 0
for command, name, before in cases:
    label = f"{command} {name}, pipes of {before or 'default'} bytes"
    with open(name, "rb") as inp:
        want = subprocess.run([binary, command, "-", "-"], stdin=inp, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    data = open(name, "rb").read()
    in_r, in_w = os.pipe()
    out_r, out_w = os.pipe()
    if before:
        fcntl.fcntl(in_w, fcntl.F_SETPIPE_SZ, before)
        fcntl.fcntl(out_r, fcntl.F_SETPIPE_SZ, before)
    default = fcntl.fcntl(in_w, fcntl.F_GETPIPE_SZ)
    proc = subprocess.Popen([binary, command, "-", "-"], stdin=in_r, stdout=out_w, stderr=subprocess.PIPE)
    os.close(out_w)  # the reading end of the input stays open here, to be looked at after the run
    got = []
    reader = threading.Thread(target=lambda: got.append(b"".join(iter(lambda: os.read(out_r, 65536), b""))))
    reader.start()
    os.write(in_w, data)
    os.close(in_w)
    err = proc.stderr.read()
    proc.wait()
    reader.join()
    widths = (fcntl.fcntl(in_r, fcntl.F_GETPIPE_SZ), fcntl.fcntl(out_r, fcntl.F_GETPIPE_SZ))
    os.close(in_r)
    os.close(out_r)
    expected = (max(default, WIDE),) * 2
    if widths != expected:
        print(f"FAIL {label}: pipe widths {widths}, expected {expected}"); failed += 1
    if proc.returncode != want.returncode or err != want.stderr or got[0] != want.stdout:
        print(f"FAIL {label}: status {proc.returncode}, {len(got[0])} of {len(want.stdout)} bytes"); failed += 1
sys.exit(1 if failed else 0)
PY
finish
