#!/bin/sh
# Runs the checker on a contestant's output as a testlib-style judge does:
# the test's input, the contestant's output, the answer, and a result file
# in the XML form; then shows the exit status and the result.
#   sh try.sh OUTPUT
output=$(realpath "$1")
cd "$(dirname "$0")" || exit 2
result=$(mktemp)
Zelvor20Krobelnik-testlib tests/01 "$output" tests/01.a "$result" -appes
echo "exit status $?"
cat "$result"
rm -f "$result"
