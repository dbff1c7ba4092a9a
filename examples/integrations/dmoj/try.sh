#!/bin/sh
# Runs the checker on a contestant's output as init.yml has DMOJ run it:
# compiled from its source with DMOJ's own line for C++20
# (dmoj/executors/c_like_executor.py, CPP20), then given the test case's
# input, the output and the answer and --points-out-of 10, as its
# args_format_string says; shows the exit status, standard error (a line
# "points N" for partial points) and standard output (the message).
# KROBELNIK_BUILD, when set, names a folder of built programs to run instead.
#   sh try.sh OUTPUT
output=$(realpath "$1") || exit 2
cd "$(dirname "$0")/krobelnik" || exit 2
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
if [ -n "$KROBELNIK_BUILD" ]; then
  checker=$KROBELNIK_BUILD/Zelvor20Krobelnik-testlib
else
  command -v g++ >/dev/null || { echo "try.sh: g++ is needed to compile the checker as DMOJ does"; exit 2; }
  checker=$work/checker
  g++ -Wall Zelvor20Krobelnik-testlib.cpp -DONLINE_JUDGE -O2 -lm -march=native -std=c++20 \
    -fmax-errors=5 -s -o "$checker" || { echo "try.sh: the checker did not compile"; exit 2; }
fi
"$checker" krobelnik.in "$output" krobelnik.ans --points-out-of 10 2>"$work/errors"
echo "exit status $?"
cat "$work/errors"
