#include "HeldBits.h"

#include <map>

namespace {
std::map<int, int> movedDrivers;  // held bit -> the signal its drivers were moved to
}  // namespace

void noteHeldBit(int bit, int driven) { movedDrivers[bit] = driven; }

int signalOfDrivers(int bit) {
  auto found = movedDrivers.find(bit);
  return found == movedDrivers.end() ? bit : found->second;
}

void resetHeldBits() { movedDrivers.clear(); }
