#include "answer/walk_budget.h"

#include <new>

namespace krobelnik {

namespace {

// Below this length a section's walk costs at most a few thousand letters,
// which its own bytes bound well enough; no account is kept.
constexpr std::size_t AccountedLength = 4096;

// A test case's walks may compare this many times its n and the bytes of
// its sections before it gets its index: ordinary answers, each test case
// answered once or twice, never come near.
constexpr std::uint64_t BudgetFactor = 4;

}  // namespace

const SubstringIndex* WalkBudget::IndexFor(std::int32_t number, std::string_view s) {
  if (!always_ && s.size() < AccountedLength) return nullptr;
  // Without memory for an account the walk compares directly.
  try {
    const auto found = accounts_.find(number);
    if (!always_ && found == accounts_.end()) return nullptr;
    Account& account = found != accounts_.end() ? found->second : accounts_[number];
    const std::uint64_t budget = BudgetFactor * (s.size() + account.bytes);
    if (!account.tried && (always_ || account.compared > budget)) {
      account.tried = true;
      account.index.Build(s);
    }
    return account.index.Built() ? &account.index : nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

void WalkBudget::Spend(std::int32_t number, std::string_view s, std::uint64_t compared,
                       std::uint64_t sectionBytes) {
  if (compared == 0 || (!always_ && s.size() < AccountedLength)) return;
  try {
    Account& account = accounts_[number];
    account.compared += compared;
    account.bytes += sectionBytes;
  } catch (const std::bad_alloc&) {
    // Unaccounted, the walks go on comparing directly.
  }
}

}  // namespace krobelnik
