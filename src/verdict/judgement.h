#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "explain/explain.h"
#include "verdict/points.h"
#include "words/language.h"
#include "words/words.h"

namespace krobelnik {

// A submission judged for a judge system: the evaluator's verdict on it,
// measured against the jury's own answer, or the reason the check itself
// could not be made, which a judge must not blame on the contestant.

enum class Judged { Accepted, Rejected, JudgeError };

struct Judgement {
  Judged judged = Judged::JudgeError;
  // The evaluator's report on the submission, with line feeds, kept as an
  // explanation keeps it: a long one's start, the bytes left out, its end.
  std::string report;
  std::string reportTail;
  std::uint64_t reportLeftOut = 0;
  // Accepted: its points.
  PointsTable points;
  // For the judges: where and why a submission was rejected (the explain
  // program's text), or what stopped the check.
  std::string explanation;
  std::string error;
  // The language and letters of the texts for people.
  Wording wording;
};

// Judges the submission against the test data and the jury's answer: the
// test data must be sound, and the jury's answer accepted and answer every
// test case, else the check fails; the jury's answer is checked whole
// before the submission is read. Never raises. Its texts for people (the
// summary, the team's message, the explanation) are worded as wording says;
// the evaluator's own message stays as the report has it.
Judgement JudgeSubmission(const Input& testData, const Input& jury, const Input& submission,
                          const Wording& wording = {});

// Opens the input at path once, for the judgement; false with the reason
// in language, naming the role (the catalogue's roleTestData, roleJury or
// roleOutput) and path.
bool HoldInput(HeldInput& held, Word role, const std::string& path, std::string& problem,
               Language language);

// The judgement in one line for people: the points and what they come from,
// the evaluator's message, or what stopped the check.
std::string Summary(const Judgement& judgement);

// What the contestant reads: "OK, points P" for an accepted submission, the
// evaluator's message line for a rejected one.
std::string TeamMessage(const Judgement& judgement);

// What the judges read: the summary, the report, the explanation and the
// points of each test case (the first hundred).
std::string JudgeMessage(const Judgement& judgement);

// Writes text to a new file at path; false when it cannot be written whole.
bool WriteTextFile(const std::string& path, std::string_view text);

}  // namespace krobelnik
