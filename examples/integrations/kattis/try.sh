#!/bin/sh
# Runs the output validator on a submission as problemtools and DOMjudge
# do: compiled from its source with problemtools' own line (as
# problemtools/config/languages.yaml has it), then given the test case's
# input and answer file, a feedback folder with its separator and the
# validator flags of problem.yaml, the submission on standard input; shows
# the exit status and the feedback. The input validator checks the test
# case's input first, as verifyproblem does. KROBELNIK_BUILD, when set, names
# a folder of built programs to run instead.
#   sh try.sh SUBMISSION
submission=$(realpath "$1") || exit 2
cd "$(dirname "$0")" || exit 2
work=$(mktemp -d) || exit 2
trap 'rm -rf "$work"' EXIT
program() {  # folder, name: the program, compiled when it must be
  if [ -n "$KROBELNIK_BUILD" ]; then
    echo "$KROBELNIK_BUILD/$2"
    return
  fi
  command -v g++ >/dev/null || { echo "try.sh: g++ is needed to compile $1/$2.cpp as the judge does" >&2; return 1; }
  g++ -g -O2 -std=gnu++23 -static -o "$work/$2" "$1/$2.cpp" -lrt -Wl,--whole-archive -lpthread \
    -Wl,--no-whole-archive >&2 || { echo "try.sh: $1/$2.cpp did not compile" >&2; return 1; }
  echo "$work/$2"
}
validator=$(program output_validators/krobelnik Zelvor20Krobelnik-kattis) || exit 2
check=$(program input_validators/krobelnik Zelvor20Krobelnik-check-testdata) || exit 2
"$check" --kattis <data/secret/krobelnik.in >/dev/null 2>&1
status=$?
[ $status -eq 42 ] || { echo "input validator: exit status $status, not 42"; exit 1; }
mkdir "$work/feedback"
# The flags as problem.yaml gives them (none in the pass-fail form).
flags=$(sed -n 's/^validator_flags: *//p' problem.yaml)
# shellcheck disable=SC2086
"$validator" data/secret/krobelnik.in data/secret/krobelnik.ans "$work/feedback/" $flags <"$submission"
echo "exit status $?"
for file in "$work/feedback"/*; do
  echo "== $(basename "$file")"
  cat "$file"
done
