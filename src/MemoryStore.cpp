// Memory components' shapes and starting stores (MemoryStore.h).
#include "MemoryStore.h"

#include "CompKinds.h"
#include "Globals.h"
#include "Ph2.h"
#include "vlsiPh1.h"

namespace {

std::vector<std::vector<uint32_t>> preloadedStores;  // by component index; empty: none

const int* parametersOf(int c) { return phaseTwo->integerParameters[size_t(c)]; }

}  // namespace

bool isRomComponent(int c) { return kindOf(c).memory == romMemory; }

int memoryWordWidth(int c) {
  return parametersOf(c)[isRomComponent(c) ? int(romBitsPerWordParameter) : int(bitWordWidthParameter)];
}

uint32_t memoryWordCount(int c) {
  return uint32_t(parametersOf(c)[isRomComponent(c) ? int(romWordsParameter) : int(numberOfWordsParameter)]);
}

const uint32_t* preloadedStore(int cind) {
  size_t c = size_t(cind);
  return c < preloadedStores.size() && !preloadedStores[c].empty() ? preloadedStores[c].data() : nullptr;
}

std::vector<uint32_t>& preloadedStoreToFill(int cind) {
  size_t c = size_t(cind);
  if (preloadedStores.size() <= c) preloadedStores.resize(size_t(phaseTwo->numberOfComponents));
  std::vector<uint32_t>& store = preloadedStores[c];
  store.assign(size_t(parametersOf(cind)[numberOf32BitWordsParameter]), 0);
  return store;
}

void resetPreloadedStores() { preloadedStores.clear(); }
