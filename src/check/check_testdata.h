#pragma once

namespace krobelnik {

// Checks an official test data file before a contest (argv[1]): evaluates a
// submission of only the two header lines against it, which is accepted with
// OK and 0 exactly when the test data is sound. Prints "sound: TESTDATA" and
// returns 0, or prints the report's first line and returns 1; returns 2 when
// the check itself could not run. With --kattis, in place of the file's name,
// the test data comes on standard input and the statuses are 42, 43 and 1,
// an input validator's in Kattis and DOMjudge.
int CheckTestData(int argc, const char* const* argv);

}  // namespace krobelnik
