#pragma once

#include "explain/explain.h"

namespace krobelnik {

// Explains the files named, each opened once (the submission's name null
// to check the test data alone), into e; false when no sound report could
// be made. An input that cannot be opened is read as empty and noted.
bool ExplainFiles(const char* testDataName, const char* submissionName, Explanation& e,
                  const ExplainOptions& options = {});

// The explain program: argv[1] the test data, argv[2] the submission when
// given; --json, --stats, --pieces FILE and --lang sl|en anywhere, or
// --help, -h or --version. Returns 0 accepted (or sound test data), 1
// rejected, 3 test data at fault, 2 a wrong command line, an input that
// could not be opened, or no sound report.
int ExplainMain(int argc, const char* const* argv);

}  // namespace krobelnik
