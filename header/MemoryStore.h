// Memory components as the core knows them: a lane's shape (words, bits per word) read from its
// parameters, and the store a Ram or RegisterFile starts from.  multiPortRam copies that store in at
// every (re)initialisation instead of clearing it; whatever loads memories before the run fills it.
#ifndef TARVIK_MEMORYSTORE_H
#define TARVIK_MEMORYSTORE_H

#include <cstdint>
#include <vector>

bool isRomComponent(int cind);
// Bits per word and number of words of the memory component cind (a Rom, Ram or RegisterFile).
int memoryWordWidth(int cind);
uint32_t memoryWordCount(int cind);

// The store a Ram or RegisterFile starts from, or null: all UNINITIALIZED.  Looked up only when the
// store is initialised.
const uint32_t* preloadedStore(int cind);
// The store of cind to fill, sized for the memory and cleared (all UNINITIALIZED packed as zeros).
std::vector<uint32_t>& preloadedStoreToFill(int cind);
void resetPreloadedStores();

#endif
