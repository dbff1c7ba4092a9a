#pragma once

namespace krobelnik {

// The checker of CMS for the output-only task Krobelnik: argv[1] the test
// data, argv[2] the jury's answer (the task's correct output), argv[3] the
// contestant's output. Writes the outcome, 0 to 1, on standard output and a
// one-line message for the contestant on standard error, then a line for
// the administrators. Returns 0 when it judged, 1 when the check itself
// failed (CMS then reports the evaluation as failed), 2 on a wrong command
// line.
int CmsMain(int argc, const char* const* argv);

}  // namespace krobelnik
