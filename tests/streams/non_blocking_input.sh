#!/usr/bin/env bash
# A standard input in non-blocking mode (inherited from the caller) that has
# no data yet is waited for, not taken for a read error: at the start of the
# run and in the middle of the stream alike, the run converts the whole
# input with the output and the diagnostics of a blocking one.
set -u
source "$(dirname "$0")/lib.bash"
many 40

python3 - "$bin" <<'PY' || failures=$((failures + 1))
import fcntl, os, subprocess, sys, time
binary = sys.argv[1]
# command | input | bytes written before the run starts
cases = [
    ("-au", "orders.edi", 0),
    ("-au", "many.edi", 0),
    ("-au", "many.edi", 9000),
    ("-ua", "many.unc", 20000),
    ("-ab", "many.edi", 0),
    ("-ab", "many.edi", 100),
]
failed = 0
for command, name, ahead in cases:
    data = open(name, "rb").read()
    with open("want.out", "wb") as out, open(name, "rb") as inp:
        want = subprocess.run([binary, command, "-", "-"], stdin=inp, stdout=out,
                              stderr=subprocess.PIPE)
    want_out = open("want.out", "rb").read()
    r, w = os.pipe()
    fcntl.fcntl(r, fcntl.F_SETFL, fcntl.fcntl(r, fcntl.F_GETFL) | os.O_NONBLOCK)
    os.write(w, data[:ahead])
    with open("out", "wb") as out:
        proc = subprocess.Popen([binary, command, "-", "-"], stdin=r, stdout=out,
                                stderr=subprocess.PIPE)
    os.close(r)
    time.sleep(0.3)  # the run finds the pipe empty
    for start in range(ahead, len(data), 7000):
        try:
            os.write(w, data[start:start + 7000])
        except BrokenPipeError:
            break
        time.sleep(0.1)
    os.close(w)
    label = f"{command} {name}, {ahead} bytes ahead"
    try:
        err = proc.communicate(timeout=10)[1]
    except subprocess.TimeoutExpired:
        proc.kill(); proc.wait()
        print(f"FAIL {label}: still running"); failed += 1
        continue
    got = open("out", "rb").read()
    if proc.returncode != 0 or err != want.stderr or got != want_out:
        print(f"FAIL {label}: status {proc.returncode}, {len(got)} of {len(want_out)} bytes, {err[-80:]!r}")
        failed += 1
sys.exit(1 if failed else 0)
PY
finish
