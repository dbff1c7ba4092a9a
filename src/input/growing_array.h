#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <utility>

#include "input/spare_memory.h"
#include "input/system.h"

namespace krobelnik {

// An array of plain values that grows by doubling through ResizeBlock: a
// large block then moves by remapping its pages rather than copying them,
// so growing never holds two copies, and the room past the values is never
// touched until it is written. What a run keeps in bulk (letters, offsets,
// results) lives in these.
template <class T>
class GrowingArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  GrowingArray() = default;
  ~GrowingArray() { FreeBlock(values_, capacity_ * sizeof(T)); }
  GrowingArray(GrowingArray&& other) noexcept
      : values_(std::exchange(other.values_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        capacity_(std::exchange(other.capacity_, 0)) {}
  GrowingArray& operator=(GrowingArray&& other) noexcept {
    std::swap(values_, other.values_);
    std::swap(size_, other.size_);
    std::swap(capacity_, other.capacity_);
    return *this;
  }
  GrowingArray(const GrowingArray&) = delete;
  GrowingArray& operator=(const GrowingArray&) = delete;

  std::size_t Size() const { return size_; }
  T* Data() { return values_; }
  const T* Data() const { return values_; }
  T& operator[](std::size_t i) { return values_[i]; }
  const T& operator[](std::size_t i) const { return values_[i]; }

  // Makes room for at least count values in all.
  void Reserve(std::size_t count) {
    if (count > capacity_) Grow(count);
  }
  // Room for count more values after the last, to be written and then
  // counted with Added.
  T* Room(std::size_t count) {
    if (count > capacity_ - size_) Grow(size_ + count);
    return values_ + size_;
  }
  void Added(std::size_t count) { size_ += count; }
  void Append(const T* values, std::size_t count) {
    if (count > 0) std::memcpy(Room(count), values, count * sizeof(T));
    size_ += count;
  }
  // The same where the array is known never to hold more than ceiling
  // values: it then grows to at most that, not to twice its size.
  void Append(const T* values, std::size_t count, std::size_t ceiling) {
    if (count > capacity_ - size_) Grow(size_ + count, ceiling);
    Append(values, count);
  }
  void Push(T value) {
    *Room(1) = value;
    ++size_;
  }
  // Keeps the first count values (count at most Size()).
  void Truncate(std::size_t count) { size_ = count; }
  // Empties the array and keeps its memory.
  void Clear() { size_ = 0; }

 private:
  void Grow(std::size_t atLeast, std::size_t ceiling = std::numeric_limits<std::size_t>::max()) {
    constexpr std::size_t MostValues = std::numeric_limits<std::size_t>::max() / 2 / sizeof(T);
    if (atLeast > MostValues) throw std::bad_alloc();
    const std::size_t capacity = std::min(std::max({atLeast, 2 * capacity_, 64 / sizeof(T) + 1}),
                                          std::max(atLeast, ceiling));
    void* values = ResizeBlock(values_, capacity_ * sizeof(T), capacity * sizeof(T));
    // Memory kept only for speed is given back before the array gives up.
    while (values == nullptr && ReleaseSpareMemory())
      values = ResizeBlock(values_, capacity_ * sizeof(T), capacity * sizeof(T));
    if (values == nullptr) throw std::bad_alloc();
    values_ = static_cast<T*>(values);
    capacity_ = capacity;
  }

  T* values_ = nullptr;
  std::size_t size_ = 0;
  std::size_t capacity_ = 0;
};

}  // namespace krobelnik
