#pragma once

#include <cstddef>
#include <cstdint>

#include "answer/answer_block.h"
#include "answer/walk.h"
#include "failure/fault_place.h"

namespace krobelnik {

// Told of each answer section's index line as it is read, for a tool that
// shows more than the verdict: the pieces of the concatenation around a
// fault, or where an accepted section's score comes from. The evaluator
// itself sets none, and pays one test per batch of indices for the hook.
class IndexWatch {
 public:
  virtual ~IndexWatch() = default;
  // The index line of a section starts; block holds its strings, sealed,
  // until End.
  virtual void Begin(const AnswerBlock& block, const SectionPlace& section) = 0;
  // Its next indices as read (also those past the r-th), after walk has
  // taken them.
  virtual void Indices(const std::uint32_t* xs, std::size_t count, const Walk& walk) = 0;
  // The line was read whole and its count is right; walk's verdict follows.
  virtual void End(const Walk& walk) = 0;
};

}  // namespace krobelnik
