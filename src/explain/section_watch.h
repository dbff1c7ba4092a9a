#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "answer/index_watch.h"

namespace krobelnik {

// What an explanation learns from the index lines as the run reads them:
// the concatenation beside s around a walk's fault, and for accepted
// sections where their scores come from. Both cost time linear in the
// indices, and memory for what is shown.

// A piece of the concatenation: index i_p = x selects t_x, which stands at
// letters from .. from + length - 1 of the concatenation (from 0). An index
// that selects no string has selects false and length 0.
struct Piece {
  std::int64_t p = 0;
  std::int64_t x = 0;
  std::int64_t from = 0;
  std::int64_t length = 0;
  bool selects = true;
  // Whether it holds the letter where the concatenation leaves s, or is the
  // index that selects no string.
  bool faulty = false;
};

// s and the concatenation side by side around a fault, from letter from of
// both (from 0): s's letters there and the concatenation's, each with
// whether it goes on past them, the letter where they part (from 0: the
// first that differs, the first past the end of s, or the first of s that
// the concatenation does not reach), and the pieces that cover the window.
struct Alignment {
  bool present = false;
  std::int64_t from = 0;
  std::string s;
  bool sGoesOn = false;
  std::string concatenation;
  bool concatenationGoesOn = false;
  std::int64_t fault = 0;
  std::int64_t n = 0;
  std::vector<Piece> pieces;
};

// A string of a section by its use: t_j, its length, how often the indices
// select it.
struct StringUse {
  std::int64_t j = 0;
  std::int64_t length = 0;
  std::int64_t uses = 0;
};

// Bucket b counts the pieces of 2^b to 2^(b+1) - 1 letters.
inline constexpr std::size_t LengthBuckets = 25;

// Where an accepted section's score comes from.
struct SectionStats {
  std::int32_t testCase = 0;
  std::int64_t firstLine = 0;
  std::int64_t n = 0;
  std::int64_t k = 0;
  std::int64_t r = 0;
  std::int64_t letters = 0;
  std::int64_t score = 0;
  // Strings selected at least once, and those never selected with their
  // letters (which the score counts for nothing).
  std::int64_t used = 0;
  std::int64_t unused = 0;
  std::int64_t unusedLetters = 0;
  // The strings that cover most letters, most first, and the first unused.
  std::vector<StringUse> mostUsed;
  std::vector<StringUse> firstUnused;
  std::array<std::int64_t, LengthBuckets> lengths{};
  // The shortest and the longest piece of each bucket (0 for none).
  std::array<std::int64_t, LengthBuckets> shortest{};
  std::array<std::int64_t, LengthBuckets> longest{};
  // Where s's letters start in the test data, in bytes (-1: not found).
  std::int64_t sOffset = -1;
  // Where its pieces start in the list of pieces kept (-1: not kept).
  std::int64_t piecesFrom = -1;
};

// How many strings the lists of a section's statistics name.
inline constexpr std::size_t ListedStrings = 10;

// The pieces of accepted sections, written to a file as they are read, up
// to a most: for each, where it starts in s (from 0) and its x, as 32-bit
// little-endian numbers, gathered into large writes.
class PiecesFile {
 public:
  PiecesFile(std::FILE* file, std::size_t most) : file_(file), most_(most) {}
  ~PiecesFile() { Flush(); }
  PiecesFile(const PiecesFile&) = delete;
  PiecesFile& operator=(const PiecesFile&) = delete;

  // Room for the r pieces of a section: where they will start in the list
  // of pieces, or -1 when there is no file or they would pass the most.
  std::int64_t Reserve(std::int64_t r);
  void Put(std::uint32_t start, std::uint32_t x) {
    if (pending_.size() - pendingBytes_ < 8) Flush();
    unsigned char* const bytes = pending_.data() + pendingBytes_;
    for (int b = 0; b < 4; ++b) {
      bytes[b] = static_cast<unsigned char>(start >> (8 * b));
      bytes[4 + b] = static_cast<unsigned char>(x >> (8 * b));
    }
    pendingBytes_ += 8;
  }
  // Writes what is gathered; false when any piece could not be written.
  bool Flush();

 private:
  std::FILE* const file_;
  const std::size_t most_;
  std::size_t written_ = 0;
  bool failed_ = false;
  std::vector<unsigned char> pending_;
  std::size_t pendingBytes_ = 0;
};

// Where the scores of the first sections come from, counted as their
// indices are read, the pieces handed to a pieces file on the way.
class StatsWatch {
 public:
  StatsWatch(std::size_t sections, PiecesFile& pieces) : sections_(sections), pieces_(pieces) {}
  // Whether the section begun is counted.
  bool Begin(const AnswerBlock& block, const SectionPlace& section);
  void Count(const std::uint32_t* xs, std::size_t count);
  // The statistics of the section just read.
  void End();
  std::vector<SectionStats>& Stats() { return list_; }

 private:
  const std::size_t sections_;
  PiecesFile& pieces_;
  const AnswerBlock* block_ = nullptr;
  SectionPlace section_;
  // Where the next piece starts, and the uses and lengths so far.
  std::int64_t pos_ = 0;
  std::vector<std::uint32_t> uses_;
  std::array<std::int64_t, LengthBuckets> lengths_{};
  std::int64_t piecesFrom_ = -1;
  std::vector<SectionStats> list_;
};

// The concatenation beside s around the fault of a section's walk, from the
// last indices before it and those after it up to the window's end.
class AlignmentWatch {
 public:
  void Begin(const AnswerBlock& block);
  // The indices of a batch, the read before it, and where the walk stands.
  void Indices(const std::uint32_t* xs, std::size_t count, std::int64_t read, const WalkStop& stop);
  // The section's index line has ended with the walk at reached (from 0).
  void End(std::size_t reached);
  const Alignment& AtFault() const { return alignment_; }

 private:
  // The alignment around letter fault from the indices kept, index p's
  // piece starting at start in s.
  void Align(std::int64_t fault, std::int64_t p, std::int64_t start);

  const AnswerBlock* block_ = nullptr;
  // Indices kept, the first of them index keptFrom_.
  std::vector<std::uint32_t> kept_;
  std::int64_t keptFrom_ = 1;
  WalkStop stop_;
  bool captured_ = false;
  Alignment alignment_;
};

// What the explanations watch of the index lines: the alignment at a fault
// and, when asked for, the statistics of the first sections and their
// pieces.
class SectionWatch : public IndexWatch {
 public:
  // With stats, statistics of the first sections sections; with a pieces
  // file, their pieces written to it, up to mostPieces of them.
  SectionWatch(bool stats, std::size_t sections, std::FILE* pieces, std::size_t mostPieces)
      : stats_(stats), pieces_(pieces, mostPieces), statistics_(sections, pieces_) {}
  SectionWatch(const SectionWatch&) = delete;
  SectionWatch& operator=(const SectionWatch&) = delete;

  void Begin(const AnswerBlock& block, const SectionPlace& section) override;
  void Indices(const std::uint32_t* xs, std::size_t count, const Walk& walk) override;
  void End(const Walk& walk) override;

  // The alignment around the fault of the last section read, if its walk
  // failed (or fell short of s).
  const Alignment& AlignmentAtFault() const { return alignment_.AtFault(); }
  std::vector<SectionStats>& Stats() { return statistics_.Stats(); }
  // Writes what is left of the pieces to their file; false when any of
  // them could not be written.
  bool FlushPieces() { return pieces_.Flush(); }

 private:
  const bool stats_;
  const AnswerBlock* block_ = nullptr;
  // The indices read of this section, and whether it is counted.
  std::int64_t read_ = 0;
  bool counted_ = false;
  PiecesFile pieces_;
  StatsWatch statistics_;
  AlignmentWatch alignment_;
};

}  // namespace krobelnik
