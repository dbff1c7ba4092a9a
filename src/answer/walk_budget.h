#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "answer/substring_index.h"

namespace krobelnik {

// What the walks of one run have cost each test case, so that the cost of
// a section stays within its own size: a walk compares its long strings
// with s letter by letter, which costs up to n for a section of a few
// bytes. Once a test case's walks have compared more letters than a few
// times its n plus the bytes of its sections, the test case gets a
// SubstringIndex, built once, and its walks compare a string used again
// with the place it matched before in constant time. Without memory for
// the index they go on comparing directly: slower, never a different
// report.
class WalkBudget {
 public:
  // With always, every test case gets its index at its first section (a
  // knob for the tests, which compare the walks with and without it).
  explicit WalkBudget(bool always = false) : always_(always) {}

  // The index of test case number, whose string is s, built now when its
  // walks have run over budget; nullptr when it has none.
  const SubstringIndex* IndexFor(std::int32_t number, std::string_view s);

  // Counts what a section of test case number cost: the letters its walk
  // compared directly, and its bytes.
  void Spend(std::int32_t number, std::string_view s, std::uint64_t compared,
             std::uint64_t sectionBytes);

 private:
  struct Account {
    std::uint64_t compared = 0;
    std::uint64_t bytes = 0;
    // Whether the index was tried: built, or memory ran out.
    bool tried = false;
    SubstringIndex index;
  };
  bool always_;
  std::unordered_map<std::int32_t, Account> accounts_;
};

}  // namespace krobelnik
