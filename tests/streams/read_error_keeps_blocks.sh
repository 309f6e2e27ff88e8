#!/usr/bin/env bash
# A run whose input fails in the middle (a terminal that hangs up: the read
# reports an error) ends with "Couldn't read input file '-'" and status 1,
# and its output keeps exactly the 16,383-byte blocks that the bytes after
# them had completed: a prefix of the whole conversion, whatever the blocks
# still held in memory when the input failed.
set -u
source "$(dirname "$0")/lib.bash"
for k in $(seq 130); do cat orders.edi; done > many.edi
"$bin" -au many.edi many.unc 2>/dev/null || { echo "cannot expand the input"; exit 2; }
python3 - "$bin" <<'PY' || failures=$((failures + 1))
import fcntl, os, pty, struct, subprocess, sys, termios, time, tty
binary = sys.argv[1]
data = open("many.edi", "rb").read()
whole = open("many.unc", "rb").read()
BLOCK = 16383
kept = len(whole) // BLOCK * BLOCK
# The cut must fall well inside a block, whatever part of the last segment
# the run has converted when the input fails.
if not (BLOCK <= kept and len(whole) - kept > 1000):
    print(f"FAIL the input does not suit the check: {len(whole)} bytes expanded"); sys.exit(1)
master, slave = pty.openpty()
tty.setraw(slave)
proc = subprocess.Popen([binary, "-au", "-", "out"], stdin=slave, stderr=subprocess.PIPE)
def queued():
    return struct.unpack("i", fcntl.ioctl(slave, termios.FIONREAD, b"\0\0\0\0"))[0]
for at in range(0, len(data), 1024):
    os.write(master, data[at:at + 1024])
    deadline = time.time() + 10
    while queued() != 0 and time.time() < deadline:
        time.sleep(0.001)
time.sleep(0.2)
os.close(slave)
os.close(master)  # the terminal hangs up: the next read fails
try:
    err = proc.communicate(timeout=10)[1].decode()
except subprocess.TimeoutExpired:
    proc.kill(); print("FAIL still running after the input failed"); sys.exit(1)
failed = 0
if proc.returncode != 1:
    print(f"FAIL status {proc.returncode}"); failed += 1
if not err.endswith("Couldn't read input file '-'\n"):
    print(f"FAIL standard error ends with {err[-80:]!r}"); failed += 1
out = open("out", "rb").read()
if out != whole[:kept]:
    print(f"FAIL kept {len(out)} bytes, expected the first {kept} of the whole conversion"); failed += 1
sys.exit(1 if failed else 0)
PY
finish
