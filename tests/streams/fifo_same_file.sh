#!/usr/bin/env bash
# A FIFO, pipe or socket that is both the input and the output would feed
# the run its own output for ever: the run refuses to start, before it
# reads or writes anything (what waits in the FIFO stays there). A FIFO or
# pipe on one side only, and different pipes on both sides, are converted.
set -u
source "$(dirname "$0")/lib.bash"
mkfifo p q

for cmd in -au -ab; do
  # Both names: the input waits for a writer, then the check refuses.
  (cat orders.edi > p 2>/dev/null) &
  status=0; timeout 10 "$bin" $cmd p p > out 2> err || status=$?
  expect "$cmd p p" 1 "Input and output are the same file 'p'"
  wait

  # "-" on both sides, one read-write descriptor of the FIFO; the bytes
  # already in it are still there afterwards.
  exec 3<> p
  printf 'UNB+UNOA:1' >&3
  status=0; timeout 10 "$bin" $cmd - - <&3 >&3 2> err || status=$?
  expect "$cmd - - <&3 >&3" 1 "Input and output are the same file '-'"
  left=$(timeout 5 head -c 10 <&3)
  [ "$left" = "UNB+UNOA:1" ] || fail "$cmd - - <&3 >&3: the FIFO was read or written ('$left' left)"
  exec 3<&-

  # The name as input, standard output opened on it.
  exec 3<> p
  status=0; timeout 10 "$bin" $cmd p - 1<> p 2> err || status=$?
  expect "$cmd p - 1<> p" 1 "Input and output are the same file 'p'"
  status=0; timeout 10 "$bin" $cmd - p <&3 2> err || status=$?
  expect "$cmd - p <&3" 1 "Input and output are the same file '-'"
  exec 3<&-
done

# A pipe or a socket as both standard input and standard output.
python3 - "$bin" <<'PY' || failures=$((failures + 1))
import os, socket, subprocess, sys
binary = sys.argv[1]
want = b"Input and output are the same file '-'\n"
failed = 0
def check(name, fd_in, fd_out):
    global failed
    try:
        run = subprocess.run([binary, "-au", "-", "-"], stdin=fd_in, stdout=fd_out,
                             stderr=subprocess.PIPE, timeout=10)
        if run.returncode != 1 or run.stderr != want:
            print(f"FAIL {name}: status {run.returncode}, {run.stderr!r}"); failed += 1
    except subprocess.TimeoutExpired:
        print(f"FAIL {name}: still running"); failed += 1
r, w = os.pipe()
os.write(w, b"UNB+UNOA:1'\n")
check("the two ends of one pipe", r, w)
a, b = socket.socketpair()
check("one socket as both", a.fileno(), a.fileno())
sys.exit(1 if failed else 0)
PY

# Different objects: a FIFO in, a pipe out; a pipe in, a FIFO out.
(cat orders.edi > p) &
timeout 10 "$bin" -au p - 2> err | cat > out; status=${PIPESTATUS[0]}
wait
[ $status -eq 0 ] && cmp -s out orders.unc || fail "FIFO to pipe: status $status or output differs"
(cat q > out) &
status=0; cat orders.edi | timeout 10 "$bin" -au - q 2> err || status=$?
wait
[ $status -eq 0 ] && cmp -s out orders.unc || fail "pipe to FIFO: status $status or output differs"
finish
