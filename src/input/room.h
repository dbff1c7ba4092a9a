#pragma once

#include <cstdio>
#include <cstdlib>

// A check on each store of the fast paths into a buffer of fixed capacity.
// Builds with assertions (the debug, sanitizer and fuzz builds) stop at the
// first store that would pass a buffer's end, where it happens, rather than
// leave it to the layout of the stack whether the overrun shows; release
// builds compile the check away.

namespace krobelnik {

[[noreturn]] inline void NoRoom(const char* file, int line, long long left, long long needed) {
  std::fprintf(stderr, "%s:%d: a store of %lld needs more room than the %lld left\n", file, line,
               needed, left);
  std::abort();
}

}  // namespace krobelnik

#if defined(NDEBUG) && !defined(KROBELNIK_CHECK_ROOM)
#define KROBELNIK_ASSERT_ROOM(at, end, needed) static_cast<void>(0)
#else
// Stops the program unless `needed` elements can be stored from at, in a
// buffer that ends at end.
#define KROBELNIK_ASSERT_ROOM(at, end, needed)                                         \
  ((end) - (at) >= static_cast<long long>(needed)                                      \
       ? static_cast<void>(0)                                                          \
       : ::krobelnik::NoRoom(__FILE__, __LINE__, static_cast<long long>((end) - (at)), \
                             static_cast<long long>(needed)))
#endif
