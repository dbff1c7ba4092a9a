#!/bin/sh
# Runs the checker on a contestant's output as CMS does: the test case's
# input and correct output, the contestant's output; then shows the outcome
# (standard output), the message (standard error) and the exit status.
#   sh try.sh OUTPUT
output=$(realpath "$1")
cd "$(dirname "$0")/krobelnik" || exit 2
checker=check/checker
[ -x "$checker" ] || checker=Zelvor20Krobelnik-cms
"$checker" input/input0.txt output/output0.txt "$output"
echo "exit status $?"
