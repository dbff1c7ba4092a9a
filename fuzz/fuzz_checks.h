#pragma once

// Checks shared by the fuzz targets: a finding aborts with a short reason.

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace krobelnik::fuzz {

[[noreturn]] inline void Finding(const char* what) {
  std::fprintf(stderr, "fuzz finding: %s\n", what);
  std::abort();
}

inline void Require(bool condition, const char* what) {
  if (!condition) Finding(what);
}

// The location numbers that the evaluator's checks use.
inline bool IsKnownLocation(std::int64_t location) {
  static const int Known[] = {55,  61,  78,  79,  80,  81,  83,  84,  85,  94,  95,  98,
                              101, 108, 127, 129, 132, 133, 139, 140, 141, 142, 144, 145,
                              149, 153, 154, 158, 185, 186, 188, 189, 190, 198, 200};
  for (int known : Known)
    if (known == location) return true;
  return false;
}

}  // namespace krobelnik::fuzz
