#include "answer/string_list.h"

#include <algorithm>
#include <new>

namespace krobelnik {

void StringList::Grow(std::size_t more) {
  const std::size_t capacity = std::max(size_ + more, 2 * capacity_);
  void* letters = std::realloc(letters_.get(), capacity);
  if (letters == nullptr) throw std::bad_alloc();
  static_cast<void>(letters_.release());
  letters_.reset(static_cast<char*>(letters));
  capacity_ = capacity;
}

void StringList::Vary() {
  ends_.reserve(std::max(reserved_, count_) + 1);
  for (std::size_t j = 0; j < count_; ++j)
    ends_.push_back(static_cast<std::uint32_t>(j * uniform_));
  ends_.push_back(static_cast<std::uint32_t>(size_));
  varied_ = true;
}

}  // namespace krobelnik
