// The library's side of memory images: the --load option, memories' shapes and words, and the store a
// Ram or RegisterFile starts from.  Memories are named by the name index (NameIndex.h).
#ifndef TARVIK_MEMLOAD_H
#define TARVIK_MEMLOAD_H

#include <cstdint>
#include <string>
#include <vector>

#include "MemImage.h"

// --load NAME=FILE: reads the image and queues it for NAME.  False with problem on a fault.
bool takeMemoryLoadOption(const char* argument, std::string& problem);

// An image checked against the memory NAME as a queued one is, after elaboration: false with problem
// (the text after "ERROR -- ") when it does not fit.  loadMemoryImageNow also puts it in the memory
// at once, replacing what it held (a Rom's words, a Ram's starting store).
bool imageFitsMemory(const std::string& name, const MemoryImage& image, std::string& problem);
bool loadMemoryImageNow(const std::string& name, const MemoryImage& image, std::string& problem);

// A memory as --load and --expect name it.
struct MemoryShape {
  std::string path;  // its full name
  int bitsPerWord;
  uint32_t numberOfWords;
};
// Finds the memory a name picks, after elaboration.  False with problem when none or several.
bool findMemory(const std::string& name, MemoryShape& shape, std::string& problem);

// Which words of the memory NAME the loaded images gave: given[w] when an image gave word w to every
// lane.  False (given left empty) when no image was loaded into it or the name does not resolve.
bool wordsGivenByImages(const std::string& name, std::vector<bool>& given);

#endif
