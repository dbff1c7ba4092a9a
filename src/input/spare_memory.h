#pragma once

#include <new>

namespace krobelnik {

// Memory a run keeps only to go faster, given back when an allocation would
// otherwise fail, so that what it keeps to be fast never changes what the
// run reports. One keeper at a time registers itself while it lives; every
// allocation that fails (operator new through the handler below, the large
// arrays through GrowingArray) asks it to give back and tries once more.
class SpareMemory {
 public:
  SpareMemory();
  virtual ~SpareMemory();
  SpareMemory(const SpareMemory&) = delete;
  SpareMemory& operator=(const SpareMemory&) = delete;

  // Frees what can be freed now; false when nothing could be.
  virtual bool Release() = 0;

 private:
  SpareMemory* previous_;
  std::new_handler previousHandler_;
};

// Asks the keeper registered now to give back its memory; false when there
// is none or it had nothing to give.
bool ReleaseSpareMemory();

}  // namespace krobelnik
