// The D flip-flop's step, shared by its routine and the run loop, which evaluates flip-flops itself:
// a clock wakes every flip-flop on it four times a cycle (XXX, ONE, XXX, ZERO), and most of those
// evaluations only look at the inputs.
//
// Inputs: reset, clock, data, set.  The phase (the component's state word) is 0 before the first
// evaluation, 1 while waiting for the clock at ZERO and 2 while waiting for it at ONE; reset and set
// act by level and re-arm the wait for ZERO.
#ifndef TARVIK_FLIPFLOP_H
#define TARVIK_FLIPFLOP_H

#include "Signal.h"

// Advances the phase; true when the output is to be driven to `out`.
inline bool dffStep(int& phase, const int* in, const SignalValue* current, SignalValue& out) {
  if (phase == 0) {
    phase = 1;
    out = XXX;
    return true;
  }
  SignalValue reset = current[in[0]], clock = current[in[1]], set = current[in[3]];
  if (reset == ZERO && set == ZERO) {
    if (phase == 1 && clock == ZERO) {
      phase = 2;
    } else if (phase == 2 && clock == ONE) {
      phase = 1;
      out = current[in[2]];
      return true;
    }
    return false;
  }
  if (reset == ZERO && set == ONE) {
    phase = 1;
    out = ONE;
    return true;
  }
  if (reset == ONE && set == ZERO) {
    phase = 1;
    out = ZERO;
    return true;
  }
  return false;
}

#endif
