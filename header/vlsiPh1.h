// Run-time routines of the large-scale components: the multi-port memory behind RegisterFile and Ram,
// and the read-only memory.
#ifndef TARVIK_VLSIPH1_H
#define TARVIK_VLSIPH1_H

#include <vector>

// Integer parameters of RegisterFile and Ram, by index.
enum MultiPortRamParameter {
  numberOfWordsParameter = 0,
  bitWordWidthParameter,
  portAddressSizeParameter,
  numberOfReadPortsParameter,
  numberOfWritePortsParameter,
  storeWordsPerSimWordParameter,
  numberOf32BitWordsParameter,
  zeroIsZEROParameter,
  numberOfMultiPortRamParameters
};

// Integer parameters of Rom, by index.
enum RomParameter { romWordsParameter = 0, romBitsPerWordParameter, romBytesPerWordParameter, numberOfRomParameters };

// A RegisterFile's or Ram's shape as its constructor is given it.  Products are formed in 64 bits so
// that absurd arguments are reported, not overflowed.
struct MemoryGeometry {
  int numberOfWords, bitWordWidth, portAddressSize, numberOfReadPorts, numberOfWritePorts;

  long long storeWordsPerSimWord() const { return (bitWordWidth - 1) / 16 + 1; }
  long long numberOf32BitWords() const { return (long long)numberOfWords * storeWordsPerSimWord(); }
  long long dataLength() const { return (long long)numberOfWritePorts * bitWordWidth; }
  long long outLength() const { return (long long)numberOfReadPorts * bitWordWidth; }
  long long controlLength() const {
    return (long long)numberOfReadPorts * portAddressSize + (long long)numberOfWritePorts * (portAddressSize + 2LL);
  }
  bool sensible() const;
};
// The pins' lengths a memory of shape g has.
bool memoryPinsFit(const MemoryGeometry& g, long long control, long long data, long long out);
// What a memory of shape g registers: its integer parameters (MultiPortRamParameter) and its 8-bit
// private variables (one per write port).
std::vector<int> multiPortRamParameters(const MemoryGeometry& g, int zeroIsZERO);
int multiPortRamWritePorts(const MemoryGeometry& g);
// A Rom's bytes per word, and whether its pins and size fit its words and bits per word.
int romBytesPerWord(int bitsPerWord);
bool romFits(int inLength, int words, int outLength, int bitsPerWord);

void multiPortRam(int cind);
void rom(int cind);

#endif
