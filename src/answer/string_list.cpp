#include "answer/string_list.h"

#include <algorithm>

namespace krobelnik {

void StringList::Vary() {
  ends_.Reserve(std::max(reserved_, count_) + 1);
  for (std::size_t j = 0; j < count_; ++j) ends_.Push(static_cast<std::uint32_t>(j * uniform_));
  ends_.Push(static_cast<std::uint32_t>(letters_.Size()));
  varied_ = true;
}

}  // namespace krobelnik
