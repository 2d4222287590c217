// The library's side of memory images: which components are memories and what they are named, the
// --load option, and the store a Ram or RegisterFile starts from.
#ifndef TARVIK_MEMLOAD_H
#define TARVIK_MEMLOAD_H

#include <cstdint>
#include <string>

#include "MemImage.h"

// Records the component registered last as a memory (Rom, Ram, RegisterFile), in the module scope it
// was registered in.  Called by their constructors.
void recordMemoryComponent();

// --load NAME=FILE: reads the image and queues it for NAME.  False with problem on a fault.
bool takeMemoryLoadOption(const char* argument, std::string& problem);

// A memory as --load and --expect name it.
struct MemoryShape {
  std::string path;  // its full name
  int bitsPerWord;
  uint32_t numberOfWords;
};
// Finds the memory a name picks, after elaboration.  False with problem when none or several.
bool findMemory(const std::string& name, MemoryShape& shape, std::string& problem);

// The full name of the memory that component cind is (a lane of a wide memory by its own name); ""
// when it is no memory.  After elaboration.
std::string memoryPathOf(int cind);

// The store a Ram or RegisterFile starts from at every (re)initialisation, or null: all UNINITIALIZED.
// Looked up only when the store is initialised.
const uint32_t* preloadedStore(int cind);

#endif
