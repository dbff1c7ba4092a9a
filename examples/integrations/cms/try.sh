#!/bin/sh
# Runs the checker on a contestant's output as CMS does: compiled from
# checker/checker.cpp with the line of CMS's loader for this task format
# (cmscontrib/loaders/tps.py), then given the test case's input and correct
# output and the contestant's output; shows the outcome (standard output),
# the message (standard error) and the exit status. KROBELNIK_BUILD, when
# set, names a folder of built programs to run instead.
#   sh try.sh OUTPUT
output=$(realpath "$1") || exit 2
cd "$(dirname "$0")/krobelnik" || exit 2
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
if [ -n "$KROBELNIK_BUILD" ]; then
  checker=$KROBELNIK_BUILD/Zelvor20Krobelnik-cms
else
  command -v g++ >/dev/null || { echo "try.sh: g++ is needed to compile the checker as CMS does"; exit 2; }
  checker=$work/checker
  g++ -x c++ -std=gnu++20 -O2 -static -o "$checker" checker/checker.cpp ||
    { echo "try.sh: checker/checker.cpp did not compile, and CMS would not import the task"; exit 2; }
fi
"$checker" tests/01.in tests/01.out "$output"
echo "exit status $?"
