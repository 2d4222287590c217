// Bit-level support for evaluation routines: complement, word values and the packed store format.
//
// Packed format: signal i of a group occupies bits 2*(i%16) and 2*(i%16)+1 of word i/16, coded
// 0 UNINITIALIZED, 1 ZERO, 2 ONE, 3 XXX.  HIZ has no code and is stored as UNINITIALIZED.
#include "RunTime.h"

#include <cstdint>

#include "Globals.h"
#include "Ph3.h"

namespace {

const SignalValue valueOfCode[4] = {UNINITIALIZED, ZERO, ONE, XXX};

unsigned codeOf(SignalValue sv) {
  switch (sv) {
    case ZERO: return 1;
    case ONE: return 2;
    case XXX: return 3;
    default: return 0;
  }
}

}  // namespace

SignalValue complement(SignalValue sv) {
  switch (sv) {
    case ZERO: return ONE;
    case ONE: return ZERO;
    case UNINITIALIZED: return XXX;
    case XXX: return UNINITIALIZED;
    default: return HIZ;
  }
}

// Bits above 31 cannot be represented; a ONE there is dropped rather than shifted out of range.
int integerFromSignals(int numberOfBits, const int* inputs) {
  uint32_t value = 0;
  const SignalValue* current = phaseThree->currentSignals.data();
  for (int bit = 0; bit < numberOfBits; bit++) {
    SignalValue v = current[inputs[bit]];
    if (v == ONE) {
      if (bit < 32) value |= uint32_t(1) << bit;
    } else if (v != ZERO) {
      return -1;
    }
  }
  return int32_t(value);
}

void packSignals(int numberOfSignals, const int* inputs, unsigned int* packed) {
  if (numberOfSignals <= 0) return;
  for (int w = 0; w <= (numberOfSignals - 1) / 16; w++) packed[w] = 0;
  const SignalValue* current = phaseThree->currentSignals.data();
  for (int i = 0; i < numberOfSignals; i++) packed[i / 16] |= codeOf(current[inputs[i]]) << (2 * (i % 16));
}

void packValues(int numberOfValues, const SignalValue* values, unsigned int* packed) {
  if (numberOfValues <= 0) return;
  for (int w = 0; w <= (numberOfValues - 1) / 16; w++) packed[w] = 0;
  for (int i = 0; i < numberOfValues; i++) packed[i / 16] |= codeOf(values[i]) << (2 * (i % 16));
}

void unpackSignals(int numberOfSignals, const unsigned int* packed, SignalValue* sigVals) {
  for (int i = 0; i < numberOfSignals; i++) sigVals[i] = valueOfCode[(packed[i / 16] >> (2 * (i % 16))) & 3u];
}
