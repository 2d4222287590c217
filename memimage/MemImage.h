// Memory images: the contents of a Rom, Ram or RegisterFile given from a file (--load NAME=FILE) or by
// a circuit's own tools, loaded before the run and again at every restart.
//
// Two formats, told apart by content: text words in hex ($readmemh style: several words a line, '#'
// and '//' comments, @ADDR moves the load address, N*WORD repeats a word, an optional first line
// "v2.0 raw") and Intel HEX (records 00, 01, 02, 04; 16-bit and wider words high byte first).
// Intel HEX gives bytes, and how many bytes make a word depends on the memory, so such an image keeps
// its bytes and they become words only when the memory is known (imageWords).
#ifndef TARVIK_MEMIMAGE_H
#define TARVIK_MEMIMAGE_H

#include <cstdint>
#include <string>
#include <vector>

#include "Signal.h"

struct ImageWord {
  uint32_t address;     // word address in the memory
  uint64_t value;       // the word, bit 0 least significant
  int line;             // line of the source it came from, for messages
  uint32_t repeat = 1;  // N*WORD: the same word at N addresses from address on (only as parsed)
};

struct ImageByte {
  uint32_t address;  // byte address
  uint8_t value;
  int line;
};

struct MemoryImage {
  std::string file;              // where it came from, for messages ("FILE:LINE: ...")
  std::vector<ImageWord> words;  // in the order given, N*WORD as one run; a later word at the same address wins
  std::vector<ImageByte> bytes;  // Intel HEX only, in the order given; words is then empty
};

// Parses text in either format.  On a fault returns false with error "FILE:LINE: problem".
bool parseMemoryImage(const std::string& text, const std::string& file, MemoryImage& image, std::string& error);
// Reads and parses a file (a regular file or a FIFO of at most 16 MiB); an unreadable file is an
// error too, "FILE: cannot read the memory image: reason".
bool readMemoryImage(const std::string& file, MemoryImage& image, std::string& error);

// The image's words for a memory of bitsPerWord bits per word: the words as given, each N*WORD spelt
// out as N words, or its bytes taken ceil(bitsPerWord/8) to a word, most significant byte first (byte
// address / bytes per word = word address; bytes a word lacks are zero).  Checks every word against
// the width and against a memory of numberOfWords words before spelling any out; on a fault returns
// false with error "FILE:LINE: problem" naming memory.
bool imageWords(const MemoryImage& image, int bitsPerWord, uint32_t numberOfWords, const std::string& memory,
                std::vector<ImageWord>& words, std::string& error);

// Queues an image for the memory NAME (named as for --load), given by a circuit's own option.  Resolved
// and checked against the memory's size and word width after elaboration, before the run.
void addMemoryLoad(const std::string& name, MemoryImage image);

// An image in the queue: byCircuit when a circuit's own option gave it (the processor's --program), not
// --load.
struct QueuedLoad {
  std::string name;
  MemoryImage image;
  bool byCircuit;
};
// The queue, in the order the images were given (a netlist file keeps them).
const std::vector<QueuedLoad>& queuedMemoryLoads();
// Queues an image as --load queued it (one a netlist file kept).
void queueOptionMemoryLoad(const std::string& name, MemoryImage image);
// Resolves every queued image, reporting "ERROR -- ..." and exiting with status 2 on a fault before
// anything is loaded.  Called by the driver after elaboration.
void loadMemoryImages();
void resetMemoryImages();

// The word at address of the memory NAME (named as for --load, wide memories included) as the run has
// it now, bit 0 first: a Rom's contents, a Ram's store (UNINITIALIZED where never written).  False
// when the name or the address does not resolve; problem says why.
bool readMemoryWord(const std::string& name, uint32_t address, std::vector<SignalValue>& bits,
                    std::string& problem);

#endif
