// Run-time routines of the large-scale components: the multi-port memory behind RegisterFile and Ram,
// and the read-only memory.
#ifndef TARVIK_VLSIPH1_H
#define TARVIK_VLSIPH1_H

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

void multiPortRam(int cind);
void rom(int cind);

#endif
