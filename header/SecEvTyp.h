// The secondary evaluation hook: carried through registration into the flat netlist, never called.
#ifndef TARVIK_SECEVTYP_H
#define TARVIK_SECEVTYP_H

#include "Signal.h"

typedef void (*signalBlockEvaluatePointer)(int&, int, const SignalValue*, int, SignalValue*);
typedef void (*logicBlockEvaluatePointer)(int&, int, const int*, int, int*);

union SecondaryEvaluatePointer {
  signalBlockEvaluatePointer s;
  logicBlockEvaluatePointer l;
};

// Per-component run-time routine: evaluation, pane drawing or key reaction, given the component index.
typedef void (*ComponentRoutine)(int cind);

#endif
