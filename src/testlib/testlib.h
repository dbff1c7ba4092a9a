#pragma once

namespace krobelnik {

// The checker of the task Krobelnik in the exit-status convention of
// testlib-style judges: argv[1] the test data, argv[2] the contestant's
// output, argv[3] the jury's answer, then an optional result file and -appes
// for its XML form. Returns 0 accepted with full points, 7 accepted with
// partial points (their fraction after "points"), 1 rejected, 3 when the
// check itself failed.
int TestlibMain(int argc, const char* const* argv);

}  // namespace krobelnik
