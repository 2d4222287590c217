// What every component's routines share: reading its inputs, driving its outputs, its delays, and
// reporting construction faults.
#ifndef TARVIK_COMPSUPPORT_H
#define TARVIK_COMPSUPPORT_H

#include "Globals.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Signal.h"

// Delay pairs (quick, lazy) of the three families.
const int ssiQuickTime = 7, ssiLazyTime = 10;
const int msiQuickTime = 13, msiLazyTime = 17;
const int vlsiQuickTime = 17, vlsiLazyTime = 23;

inline SignalValue dataInput(int cind, int i) { return phaseThree->currentSignals[phaseTwo->dataInputs[cind][i]]; }
inline SignalValue controlInput(int cind, int j) {
  return phaseThree->currentSignals[phaseTwo->controlInputs[cind][j]];
}
inline SignalValue outputValue(int cind, int k) { return phaseThree->currentSignals[phaseTwo->outputs[cind][k]]; }
inline int outputSerial(int cind, int k) { return phaseTwo->outputs[cind][k]; }

inline void drive(int cind, int k, SignalValue v, int quickTime, int lazyTime) {
  phaseFour->signalTransition(phaseTwo->outputs[cind][k], v, quickTime, lazyTime);
}

// The empty bundle that components without pins of a kind register.
const Signal& noSignal();

// True when 2^bits equals n; false (never undefined behaviour) for any bits that cannot give n.
bool isPowerOfTwoOf(int bits, long long n);
// True when n = w * 2^bits, without forming 2^bits.
bool isWordsTimesPowerOfTwo(long long n, long long w, int bits);

#endif
