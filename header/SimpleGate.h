// The simple gates: an output that is the minimum (AND), the maximum (OR) or the parity (XOR) of the
// data inputs, inverted or not.
//
// One evaluation serves the gates' routines and the run loop.  The loop evaluates these gates itself
// instead of calling their routine pointers: they are most of a gate-level netlist, and an indirect
// call whose target changes from one component to the next is one of the costliest steps of a pass.
// The reductions run without branches on the values, which are as unpredictable as the circuit.
#ifndef TARVIK_SIMPLEGATE_H
#define TARVIK_SIMPLEGATE_H

#include <cstdint>

#include "Signal.h"

static_assert(ZERO == 0 && ONE == 4, "the parity below relies on the values of ZERO and ONE");

enum GateReduction : uint8_t { reduceMinimum, reduceMaximum, reduceParity };

// Inverting a result maps ONE and ZERO to each other and everything else to XXX.
inline SignalValue invertResult(SignalValue v) { return v == ONE ? ZERO : v == ZERO ? ONE : XXX; }

// Parity so far, given the next input: any input other than ZERO or ONE makes it XXX for good.
// ZERO and ONE are 0 and 4, so the parity of two known values is their exclusive or, and a value is
// unknown when it has any other bit set.
inline int parityStep(int parity, int v) {
  unsigned p = unsigned(parity), u = unsigned(v);
  return ((p | u) & ~unsigned(ONE)) ? int(XXX) : int(p ^ u);
}

// The reduction of the values of the bits in[0..n-1]: AND starts from ONE, OR and XOR from ZERO.
inline SignalValue reduceInputs(const int* in, int n, const SignalValue* current, GateReduction reduction) {
  int low = ONE, high = ZERO, parity = ZERO;
  for (int i = 0; i < n; i++) {
    int v = current[in[i]];
    low = v < low ? v : low;
    high = v > high ? v : high;
    parity = parityStep(parity, v);
  }
  const int picked[3] = {low, high, parity};
  return SignalValue(picked[reduction]);
}

inline SignalValue simpleGateOutput(const int* in, int n, const SignalValue* current, GateReduction reduction,
                                    bool invert) {
  SignalValue v = reduceInputs(in, n, current, reduction);
  return invert ? invertResult(v) : v;
}

// A tri-state buffer's request: its data level while enabled by an exact ONE, else HIZ.
inline SignalValue triStateOutput(SignalValue enable, SignalValue data) {
  return enable == ONE && (data == ZERO || data == ONE) ? data : HIZ;
}

#endif
