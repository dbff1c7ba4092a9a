#!/bin/sh
# Runs the output validator on a submission as a judge of the problem
# package format does: the test case's input and answer file, a feedback
# folder and the validator flags, the submission on standard input through
# a pipe; then shows the exit status and the feedback.
#   sh try.sh SUBMISSION
submission=$(realpath "$1")
cd "$(dirname "$0")" || exit 2
feedback=$(mktemp -d)
cat "$submission" | output_validators/krobelnik/run data/secret/krobelnik.in data/secret/krobelnik.ans \
  "$feedback/" score
echo "exit status $?"
for file in "$feedback"/*; do
  echo "== $(basename "$file")"
  cat "$file"
done
rm -rf "$feedback"
