// Run-time routines of the large-scale components: the multi-port memory and the read-only memory.
//
// The multi-port memory keeps its words packed two bits per stored bit in its internal 32-bit
// variables and one clocking phase per write port in its 8-bit variables.  Each evaluation first
// serves every write port in order, then every read port, so a read of a word written in the same
// evaluation sees the new data; read data goes straight onto the event queue 10 ticks ahead, without
// an XXX interval.  The read-only memory decodes its byte parameters and drives through the
// transition rules with the large-scale delays.
//
// An address is usable only when all its bits are ZERO or ONE and it names a word of the store; an
// address at or above the number of words is treated like an indeterminate one, so nothing is ever
// read or written outside the store.
#include <algorithm>
#include <cstdio>

#include "CompSupport.h"
#include "MemoryStore.h"
#include "RunTime.h"
#include "msiPh1.h"
#include "vlsiPh1.h"

namespace {

const int readDelay = 10;

struct MultiPortRamGeometry {
  int numberOfWords, bitWordWidth, portAddressSize, numberOfReadPorts, numberOfWritePorts, storeWordsPerSimWord,
      numberOf32BitWords, zeroIsZERO;

  explicit MultiPortRamGeometry(int cind) {
    const int* p = phaseTwo->integerParameters[cind];
    numberOfWords = p[numberOfWordsParameter];
    bitWordWidth = p[bitWordWidthParameter];
    portAddressSize = p[portAddressSizeParameter];
    numberOfReadPorts = p[numberOfReadPortsParameter];
    numberOfWritePorts = p[numberOfWritePortsParameter];
    storeWordsPerSimWord = p[storeWordsPerSimWordParameter];
    numberOf32BitWords = p[numberOf32BitWordsParameter];
    zeroIsZERO = p[zeroIsZEROParameter];
  }
  // First control element of write port w: its address, then its clock and enable.
  int writePortBase(int w) const { return numberOfReadPorts * portAddressSize + w * (portAddressSize + 2); }
};

// The word that `width` address bits name, or -1 when a bit is not ZERO or ONE or the word lies
// outside a store of numberOfWords words.  Bits from 31 up are never shifted: any ONE there is out
// of range.
int storeAddress(const int* bits, int width, int numberOfWords) {
  int low = std::min(width, 31);
  int address = integerFromSignals(low, bits);
  for (int b = low; b < width && address >= 0; b++)
    if (phaseThree->currentSignals[bits[b]] != ZERO) address = -1;
  return address < numberOfWords ? address : -1;
}

// The store starts empty (all UNINITIALIZED), or as a loaded memory image gives it.
void clearStore(int cind, const MultiPortRamGeometry& g) {
  uint32_t* store = phaseTwo->internal32BitVariables[cind];
  if (const uint32_t* image = preloadedStore(cind))
    std::copy(image, image + g.numberOf32BitWords, store);
  else
    std::fill(store, store + g.numberOf32BitWords, 0u);
  std::fill(phaseTwo->internal8BitVariables[cind], phaseTwo->internal8BitVariables[cind] + g.numberOfWritePorts, 0);
}

uint32_t* storedWord(int cind, const MultiPortRamGeometry& g, int address) {
  return phaseTwo->internal32BitVariables[cind] + address * g.storeWordsPerSimWord;
}

void reportIndeterminateWrite(int cind) {
  fprintf(stderr,
          "ERROR-- %s at %s componentNumber = %d\n"
          "     Attempt to write with indeterminate write-port address.\n"
          "     The component is probably enabled when it shouldn't be.\n",
          phaseTwo->decal[cind].c_str(), phaseTwo->rcpos[cind].c_str(), cind);
}

void serveWritePort(int cind, const MultiPortRamGeometry& g, int w) {
  const int* control = phaseTwo->controlInputs[cind] + g.writePortBase(w);
  uint8_t& portPhase = phaseTwo->internal8BitVariables[cind][w];
  int phase = portPhase;
  bool edge = enabledClockEdge(phase, phaseThree->currentSignals[control[g.portAddressSize]],
                               phaseThree->currentSignals[control[g.portAddressSize + 1]], 3);
  portPhase = uint8_t(phase);
  if (!edge) return;
  int address = storeAddress(control, g.portAddressSize, g.numberOfWords);
  if (address < 0) {
    reportIndeterminateWrite(cind);
    return;
  }
  packSignals(g.bitWordWidth, phaseTwo->dataInputs[cind] + w * g.bitWordWidth, storedWord(cind, g, address));
}

void deliver(int cind, int outputIndex, SignalValue v) {
  phaseFour->skewHeap.add(Event(phaseFour->time + readDelay, signalChange, outputSerial(cind, outputIndex), v));
}

// Stored words are unpacked sixteen bits (one variable) at a time.
void serveReadPort(int cind, const MultiPortRamGeometry& g, int r) {
  const int* control = phaseTwo->controlInputs[cind] + r * g.portAddressSize;
  int address = storeAddress(control, g.portAddressSize, g.numberOfWords);
  int first = r * g.bitWordWidth;
  if ((g.zeroIsZERO && address == 0) || address < 0) {
    SignalValue v = address == 0 ? ZERO : XXX;
    for (int i = 0; i < g.bitWordWidth; i++) deliver(cind, first + i, v);
    return;
  }
  const uint32_t* word = storedWord(cind, g, address);
  for (int i = 0; i < g.bitWordWidth; i += 16) {
    SignalValue values[16];
    int count = std::min(16, g.bitWordWidth - i);
    unpackSignals(count, word + i / 16, values);
    for (int j = 0; j < count; j++) deliver(cind, first + i + j, values[j]);
  }
}

}  // namespace

void multiPortRam(int cind) {
  MultiPortRamGeometry g(cind);
  if (phaseTwo->state[cind] == 0) {
    phaseTwo->state[cind] = 1;
    clearStore(cind, g);
  }
  for (int w = 0; w < g.numberOfWritePorts; w++) serveWritePort(cind, g, w);
  for (int r = 0; r < g.numberOfReadPorts; r++) serveReadPort(cind, g, r);
}

// Bit b of word w is bit b%8 of byte w*A + A-1 - b/8 (A bytes per word, most significant first).
void rom(int cind) {
  const int* p = phaseTwo->integerParameters[cind];
  int bytesPerWord = p[romBytesPerWordParameter];
  int address = integerFromSignals(phaseTwo->numberOfDataInputs[cind], phaseTwo->dataInputs[cind]);
  for (int b = 0; b < phaseTwo->numberOfOutputs[cind]; b++) {
    SignalValue v = XXX;
    if (address >= 0) {
      unsigned char byte = phaseTwo->byteParameters[cind][address * bytesPerWord + bytesPerWord - 1 - b / 8];
      v = (byte >> (b % 8)) & 1 ? ONE : ZERO;
    }
    drive(cind, b, v, vlsiQuickTime, vlsiLazyTime);
  }
}
