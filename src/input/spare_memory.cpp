#include "input/spare_memory.h"

namespace krobelnik {

namespace {

SpareMemory* keeper = nullptr;

// Called by operator new when memory runs out: the allocation is tried
// again while the keeper gives something back, and fails once it cannot.
void GiveBackOrFail() {
  if (!ReleaseSpareMemory()) throw std::bad_alloc();
}

}  // namespace

SpareMemory::SpareMemory()
    : previous_(keeper), previousHandler_(std::set_new_handler(&GiveBackOrFail)) {
  keeper = this;
}

SpareMemory::~SpareMemory() {
  keeper = previous_;
  std::set_new_handler(previousHandler_);
}

bool ReleaseSpareMemory() { return keeper != nullptr && keeper->Release(); }

}  // namespace krobelnik
