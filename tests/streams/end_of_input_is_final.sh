#!/usr/bin/env bash
# On a terminal, one end-of-file (Ctrl-D at the start of a line) ends the
# input: the run must not read again after a read has delivered nothing,
# wherever the input ends (inside a segment, after a release character).
set -u
source "$(dirname "$0")/lib.bash"
python3 - "$bin" <<'PY' || failures=$((failures + 1))
import os, pty, subprocess, sys, termios, time
binary = sys.argv[1]
# command, bytes typed before the end-of-file
cases = [
    ("-au", b"UNB+UNOA:1+SENDER"),
    ("-au", b"UNB+UNOA:1+SEN?"),
    ("-bu", b"UNB\x1dUNOB\x1f1"),
    ("-ua", b"UNH12345"),
    ("-ab", b"UNB+UNOA:1?"),
    ("-ba", b"UNB\x1dUNOB"),
    ("-au", b""),
]
failed = 0
for command, typed in cases:
    master, slave = pty.openpty()
    attrs = termios.tcgetattr(slave)
    attrs[3] &= ~termios.ECHO
    termios.tcsetattr(slave, termios.TCSANOW, attrs)
    proc = subprocess.Popen([binary, command, "-", "/dev/null"], stdin=slave,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(slave)
    if typed:
        os.write(master, typed + b"\x04")  # hands over the typed bytes
        time.sleep(0.2)
    os.write(master, b"\x04")  # the end of the input
    try:
        status = proc.wait(timeout=5)
        if status != 0:
            print(f"FAIL {command} {typed!r}: status {status}"); failed += 1
    except subprocess.TimeoutExpired:
        print(f"FAIL {command} {typed!r}: still reading after the end of input"); failed += 1
        proc.kill(); proc.wait()
    os.close(master)
sys.exit(1 if failed else 0)
PY
finish
