#!/bin/sh
# Runs the output validator on a submission as problemtools and DOMjudge
# do: the test case's input and answer file, a feedback folder with its
# separator and the validator flags of problem.yaml, the submission on
# standard input from its file; then shows the exit status and the feedback.
#   sh try.sh SUBMISSION
submission=$(realpath "$1")
cd "$(dirname "$0")" || exit 2
feedback=$(mktemp -d)
output_validators/krobelnik/run data/secret/krobelnik.in data/secret/krobelnik.ans \
  "$feedback/" score <"$submission"
echo "exit status $?"
for file in "$feedback"/*; do
  echo "== $(basename "$file")"
  cat "$file"
done
rm -rf "$feedback"
