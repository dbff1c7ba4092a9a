#!/bin/sh
# Runs the checker on a contestant's output as Polygon and the other
# testlib-style judges do: compiled from check.cpp with g++ as C++20, then
# given the test's input, the contestant's output, the answer and a result
# file in the XML form (-appes); shows the exit status and the result.
# KROBELNIK_BUILD, when set, names a folder of built programs to run instead.
#   sh try.sh OUTPUT
output=$(realpath "$1") || exit 2
cd "$(dirname "$0")" || exit 2
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
if [ -n "$KROBELNIK_BUILD" ]; then
  checker=$KROBELNIK_BUILD/Zelvor20Krobelnik-testlib
else
  command -v g++ >/dev/null || { echo "try.sh: g++ is needed to compile check.cpp as the judge does"; exit 2; }
  checker=$work/check
  g++ -Wall -static -DONLINE_JUDGE -O2 -std=c++20 check.cpp -o "$checker" ||
    { echo "try.sh: check.cpp did not compile"; exit 2; }
fi
"$checker" tests/01 "$output" tests/01.a "$work/result.xml" -appes
echo "exit status $?"
cat "$work/result.xml"
