// Bit-level support shared by the evaluation routines.
#ifndef TARVIK_RUNTIME_H
#define TARVIK_RUNTIME_H

#include "Signal.h"

// ZERO<->ONE, UNINITIALIZED<->XXX, anything else HIZ.
SignalValue complement(SignalValue sv);
// The value of the listed bits, inputs[0] least significant; -1 when any bit is not ZERO or ONE.
int integerFromSignals(int numberOfBits, const int* inputs);
// Packs the current values of the listed signals two bits each into 32-bit words.
void packSignals(int numberOfSignals, const int* inputs, unsigned int* packed32BitFileWordStart);
// Packs the given values the same way, replacing the words' previous contents.
void packValues(int numberOfValues, const SignalValue* values, unsigned int* packed32BitFileWordStart);
void unpackSignals(int numberOfSignals, const unsigned int* packed32BitFileWordStart, SignalValue* sigVals);

#endif
