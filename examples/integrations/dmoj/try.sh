#!/bin/sh
# Runs the testlib adapter on a contestant's output as the problem's
# checker.py has DMOJ run it: the test case's input, the output and the
# answer, then the test case's value (10 in init.yml); then shows the exit
# status, standard error (a line "points N" for partial points) and
# standard output (the message).
#   sh try.sh OUTPUT
output=$(realpath "$1")
cd "$(dirname "$0")/krobelnik" || exit 2
errors=$(mktemp)
Zelvor20Krobelnik-testlib krobelnik.in "$output" krobelnik.ans --points-out-of 10 2>"$errors"
echo "exit status $?"
cat "$errors"
rm -f "$errors"
