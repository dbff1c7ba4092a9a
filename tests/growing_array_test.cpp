#include "input/growing_array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace krobelnik {
namespace {

// The value at position i of array number a, so that a misplaced or lost
// page shows as a wrong value.
std::uint64_t ValueAt(std::size_t a, std::size_t i) { return (a + 1) * 0x9e3779b97f4a7c15ULL ^ i; }

TEST(GrowingArray, KeepsItsValuesWhileGrowingPastEverySize) {
  // Three arrays grow in turn, from nothing to 6 MiB each, so that a large
  // block sometimes grows where it stands and sometimes has to move.
  constexpr std::size_t Count = 3;
  constexpr std::size_t Values = (std::size_t{6} << 20) / sizeof(std::uint64_t);
  std::vector<GrowingArray<std::uint64_t>> arrays(Count);
  for (std::size_t i = 0; i < Values; i += 1000) {
    for (std::size_t a = 0; a < Count; ++a) {
      std::uint64_t batch[1000];
      for (std::size_t v = 0; v < 1000; ++v) batch[v] = ValueAt(a, i + v);
      arrays[a].Append(batch, 1000);
    }
  }
  for (std::size_t a = 0; a < Count; ++a) {
    ASSERT_EQ(arrays[a].Size(), (Values + 999) / 1000 * 1000);
    for (std::size_t i = 0; i < arrays[a].Size(); ++i)
      ASSERT_EQ(arrays[a][i], ValueAt(a, i)) << "array " << a << " value " << i;
  }
}

TEST(GrowingArray, RoomTruncateClearAndMove) {
  GrowingArray<char> letters;
  letters.Reserve(3 << 20);
  for (int i = 0; i < 100; ++i) letters.Push(static_cast<char>('a' + i % 26));
  char* room = letters.Room(16);
  for (int i = 0; i < 16; ++i) room[i] = 'z';
  letters.Added(4);
  ASSERT_EQ(letters.Size(), 104U);
  EXPECT_EQ(letters[99], 'a' + 99 % 26);
  EXPECT_EQ(letters[103], 'z');
  letters.Truncate(50);
  EXPECT_EQ(letters.Size(), 50U);
  GrowingArray<char> moved = std::move(letters);
  EXPECT_EQ(moved.Size(), 50U);
  EXPECT_EQ(moved[49], 'a' + 49 % 26);
  moved.Clear();
  moved.Append("xyz", 3);
  EXPECT_EQ(std::string_view(moved.Data(), moved.Size()), "xyz");
}

}  // namespace
}  // namespace krobelnik
