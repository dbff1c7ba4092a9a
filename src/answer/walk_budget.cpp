#include "answer/walk_budget.h"

#include <algorithm>
#include <new>

namespace krobelnik {

namespace {

// Below this length a section's walk costs at most a few thousand letters,
// which its own bytes bound well enough; no account is kept. (The fuzz
// build keeps accounts from a shorter length, so that small inputs reach
// them.)
#ifndef KROBELNIK_ACCOUNTED_LENGTH
#define KROBELNIK_ACCOUNTED_LENGTH 4096
#endif
constexpr std::size_t AccountedLength = KROBELNIK_ACCOUNTED_LENGTH;

// A test case's walks may compare this many times its n and the bytes of
// its sections before it gets its index: ordinary answers, each test case
// answered once or twice, never come near.
constexpr std::uint64_t BudgetFactor = 4;

// The budget doubles with each build up to this many times (past it the
// number of letters could not grow further in 64 bits).
constexpr std::uint32_t MostDoublings = 24;

// What the living indexes may hold beyond twice the largest s.
constexpr std::size_t SpareBytes = std::size_t{32} << 20;

// An index of n letters holds about 1.3 bytes a letter; this bounds it.
constexpr std::size_t IndexBytes(std::size_t n) { return n + n / 2 + 1024; }

}  // namespace

WalkBudget::WalkBudget(std::size_t largest, bool always)
    : capacity_(std::max(2 * largest, IndexBytes(largest)) + SpareBytes), always_(always) {}

const SubstringIndex* WalkBudget::IndexFor(std::int32_t number, std::string_view s) {
  inUse_ = 0;
  ++clock_;
  if (!always_ && s.size() < AccountedLength) return nullptr;
  // Without memory for an account the walk compares directly.
  try {
    const auto found = accounts_.find(number);
    if (!always_ && found == accounts_.end()) return nullptr;
    Account& account = found != accounts_.end() ? found->second : accounts_[number];
    account.lastUse = clock_;
    if (account.index.Built()) {
      inUse_ = number;
      return &account.index;
    }
    const std::uint64_t budget =
        (BudgetFactor << std::min(account.builds, MostDoublings)) * (s.size() + account.bytes);
    if (!always_ && account.compared <= budget) return nullptr;
    ++account.builds;
    account.compared = 0;
    account.bytes = 0;
    ++builds_;
    // The indexes used longest ago go first, so that the new one fits.
    inUse_ = number;
    while (liveBytes_ > 0 && liveBytes_ + IndexBytes(s.size()) > capacity_ && Release()) {
    }
    if (!account.index.Build(s)) {
      inUse_ = 0;
      return nullptr;
    }
    liveBytes_ += account.index.Bytes();
    return &account.index;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void WalkBudget::Spend(std::int32_t number, std::string_view s, std::uint64_t compared,
                       std::uint64_t sectionBytes) {
  inUse_ = 0;
  if (compared == 0 || (!always_ && s.size() < AccountedLength)) return;
  try {
    Account& account = accounts_[number];
    account.compared += compared;
    account.bytes += sectionBytes;
  } catch (const std::bad_alloc&) {
    // Unaccounted, the walks go on comparing directly.
  }
}

void WalkBudget::Drop(Account& account) {
  liveBytes_ -= account.index.Bytes();
  account.index = SubstringIndex();
  // Its walks start a new budget, doubled.
  account.compared = 0;
  account.bytes = 0;
}

bool WalkBudget::Release() {
  Account* oldest = nullptr;
  for (auto& [number, account] : accounts_) {
    if (number == inUse_ || !account.index.Built()) continue;
    if (oldest == nullptr || account.lastUse < oldest->lastUse) oldest = &account;
  }
  if (oldest == nullptr) return false;
  Drop(*oldest);
  return true;
}

}  // namespace krobelnik
