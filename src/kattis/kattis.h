#pragma once

namespace krobelnik {

// The output validator of the problem package format that Kattis and
// DOMjudge run: argv[1] the test data, argv[2] the jury's answer, argv[3]
// the feedback folder, then the problem's validator flags; the submission on
// standard input. Returns 42 accepted, 43 rejected, 1 when the check itself
// failed (with the reason in judgemessage.txt), 0 after --help or --version.
int KattisMain(int argc, const char* const* argv);

}  // namespace krobelnik
