#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <unordered_map>

#include "answer/substring_index.h"
#include "input/spare_memory.h"

namespace krobelnik {

// What the walks of one run have cost each test case, so that the cost of
// a section stays within its own size: a walk compares its long strings
// with s letter by letter, which costs up to n for a section of a few
// bytes. Once a test case's walks have compared more letters than a few
// times its n plus the bytes of its sections, the test case gets a
// SubstringIndex, and its walks compare a string used again with the place
// it matched before in constant time.
//
// The indexes that live at once hold at most twice the largest test case's
// letters in bytes, plus a few MiB, however many test cases a submission
// attacks: building one drops those used longest ago until it fits. A test
// case whose index was dropped gets it again once its walks run over budget
// again, and each time it does its budget doubles, so that test cases
// attacked by turns cost a few builds each rather than one per turn. The
// indexes are memory kept for speed only: an allocation that would fail
// elsewhere takes them back (all but the one a walk is using), and without
// memory for an index the walks compare directly. Either way slower, never
// a different report.
class WalkBudget : public SpareMemory {
 public:
  // largest: the length of the longest s of the run. With always, every
  // test case gets its index at its first section (a knob for the tests,
  // which compare the walks with and without it).
  explicit WalkBudget(std::size_t largest, bool always = false);

  // The index of test case number, whose string is s, built now when its
  // walks have run over budget; nullptr when it has none. The index stays
  // at least until Spend is called for the section.
  const SubstringIndex* IndexFor(std::int32_t number, std::string_view s);

  // Counts what a section of test case number cost: the letters its walk
  // compared directly, and its bytes.
  void Spend(std::int32_t number, std::string_view s, std::uint64_t compared,
             std::uint64_t sectionBytes);

  // Drops the index used longest ago, but never the one a walk is using.
  bool Release() override;

  // How many indexes were built, and the bytes of those living now.
  std::uint64_t Builds() const { return builds_; }
  std::size_t LiveBytes() const { return liveBytes_; }

 private:
  struct Account {
    // Since the test case's index was last built or dropped (or the run
    // began).
    std::uint64_t compared = 0;
    std::uint64_t bytes = 0;
    // How many times it was built, or tried: each doubles the budget.
    std::uint32_t builds = 0;
    // When the walks last used it, in sections of the run.
    std::uint64_t lastUse = 0;
    SubstringIndex index;
  };
  // Drops account's index.
  void Drop(Account& account);

  std::size_t capacity_;
  bool always_;
  std::unordered_map<std::int32_t, Account> accounts_;
  std::size_t liveBytes_ = 0;
  std::uint64_t clock_ = 0;
  // The test case whose index a walk holds or that is being built (0 for
  // none).
  std::int32_t inUse_ = 0;
  std::uint64_t builds_ = 0;
};

}  // namespace krobelnik
