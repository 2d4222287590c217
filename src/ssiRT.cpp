// Run-time routines of the small-scale components (delays 7/10).
//
// Gate arithmetic uses the numeric order of the values: AND is the minimum, OR the maximum.
// Inverting a result maps ONE and ZERO to each other and everything else to XXX; inverting an input
// uses complement, which keeps the distinction between UNINITIALIZED and XXX.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "CompSupport.h"
#include "Pane.h"
#include "RunTime.h"
#include "SimpleGate.h"
#include "Window.h"
#include "ssiPh1.h"
#include "Ph5.h"

namespace {

void driveFirst(int cind, SignalValue v) {
  const PhaseTwo& p2 = *phaseTwo;
  if (p2.numberOfOutputs[cind] > 0) phaseFour->signalTransition(p2.outputs[cind][0], v, ssiQuickTime, ssiLazyTime);
}

// The simple gates, the same evaluation as the run loop's own for them.
SignalValue simpleGate(int cind, GateReduction reduction, bool invert) {
  const PhaseTwo& p2 = *phaseTwo;
  return simpleGateOutput(p2.dataInputs[cind], p2.numberOfDataInputs[cind], phaseThree->currentSignals.data(),
                          reduction, invert);
}

// Inverted-input gates: control inputs are taken as they are, data inputs complemented.
SignalValue minimumWithComplements(int cind) {
  SignalValue m = ONE;
  for (int j = 0; j < phaseTwo->numberOfControlInputs[cind]; j++) m = std::min(m, controlInput(cind, j));
  for (int i = 0; i < phaseTwo->numberOfDataInputs[cind]; i++) m = std::min(m, complement(dataInput(cind, i)));
  return m;
}

SignalValue maximumWithComplements(int cind) {
  SignalValue m = ZERO;
  for (int i = 0; i < phaseTwo->numberOfDataInputs[cind]; i++) m = std::max(m, complement(dataInput(cind, i)));
  for (int j = 0; j < phaseTwo->numberOfControlInputs[cind]; j++) m = std::max(m, controlInput(cind, j));
  return m;
}

// The source's reference value: the current value of its init bit, the last integer parameter.
SignalValue initValue(int cind) {
  const PhaseTwo& p2 = *phaseTwo;
  return phaseThree->currentSignals[p2.integerParameters[cind][p2.numberOfIntegerParameters[cind] - 1]];
}

int parameter(int cind, int k) { return phaseTwo->integerParameters[cind][k]; }

bool haveDisplay() { return phaseFive && phaseFive->windexPointer->windowOpen; }

const ScreenTile& tileOf(int cind) { return phaseTwo->tile[cind]; }

}  // namespace

void and_(int cind) { driveFirst(cind, simpleGate(cind, reduceMinimum, false)); }
void or_(int cind) { driveFirst(cind, simpleGate(cind, reduceMaximum, false)); }
void nand(int cind) { driveFirst(cind, simpleGate(cind, reduceMinimum, true)); }
void nor(int cind) { driveFirst(cind, simpleGate(cind, reduceMaximum, true)); }
void xor_(int cind) { driveFirst(cind, simpleGate(cind, reduceParity, false)); }
void xnor(int cind) { driveFirst(cind, simpleGate(cind, reduceParity, true)); }
void not_(int cind) { driveFirst(cind, simpleGate(cind, reduceMinimum, true)); }

void iand(int cind) { driveFirst(cind, minimumWithComplements(cind)); }
void inand(int cind) { driveFirst(cind, complement(minimumWithComplements(cind))); }
void ciOr(int cind) { driveFirst(cind, maximumWithComplements(cind)); }
void ciNor(int cind) { driveFirst(cind, complement(maximumWithComplements(cind))); }

// Fewer than two inputs have nothing to compare: XXX.
void multiLevelCompare(int cind) {
  if (phaseTwo->numberOfDataInputs[cind] < 2) {
    driveFirst(cind, XXX);
    return;
  }
  driveFirst(cind, dataInput(cind, 0) == dataInput(cind, 1) ? ONE : ZERO);
}

void tsb(int cind) {
  phaseFour->tsbSignalTransition(cind, outputSerial(cind, 0), triStateOutput(controlInput(cind, 0), dataInput(cind, 0)),
                                 ssiQuickTime, ssiLazyTime);
}

void toggleSwitch(int cind) {
  int& state = phaseTwo->state[cind];
  SignalValue init = initValue(cind);
  driveFirst(cind, state == 0 ? init : complement(init));
  state = state == 0 ? 1 : 0;
}

void togglePulser(int cind) {
  int& state = phaseTwo->state[cind];
  SignalValue init = initValue(cind);
  if (state == 0) {
    driveFirst(cind, init);
    state = 1;
    return;
  }
  driveFirst(cind, complement(init));
  phaseFour->altSignalTransition(outputSerial(cind, 0), init, parameter(cind, 0));
}

void powerOn(int cind) {
  int& state = phaseTwo->state[cind];
  if (state != 0) return;
  SignalValue init = initValue(cind);
  driveFirst(cind, init);
  phaseFour->altSignalTransition(outputSerial(cind, 0), complement(init), parameter(cind, 0));
  state = 1;
}

void clock(int cind) {
  int& state = phaseTwo->state[cind];
  SignalValue off = initValue(cind), on = complement(off), now = outputValue(cind, 0);
  int out = outputSerial(cind, 0);
  int duration = parameter(cind, 0), offset = parameter(cind, 1), period = parameter(cind, 2);
  if (state == 0) {
    driveFirst(cind, off);
    state = 1;
  }
  if (state == 1) {
    if (now == off) {
      phaseFour->altSignalTransition(out, on, offset);
      state = 2;
    }
  } else if (state == 2) {
    if (now == on) {
      phaseFour->altSignalTransition(out, off, duration);
      state = 3;
    }
  } else if (state == 3) {
    if (now == off) {
      phaseFour->altSignalTransition(out, on, period - duration);
      state = 2;
    }
  }
}

void stop(int cind) {
  if (phaseTwo->numberOfDataInputs[cind] > 0 && dataInput(cind, 0) == ONE) done = 1;
}

void switchPane(int cind) {
  if (!haveDisplay() || phaseTwo->numberOfOutputs[cind] < 1) return;
  const ScreenTile& t = tileOf(cind);
  drawPane(t.x, t.y, t.w, t.h, outputValue(cind, 0), false, 0.25f);
}

void probe(int cind) {
  if (phaseTwo->numberOfDataInputs[cind] < 1) return;
  SignalValue v = dataInput(cind, 0);
  if (haveDisplay()) {
    const ScreenTile& t = tileOf(cind);
    drawPane(t.x, t.y, t.w, t.h, v, true, 0.25f);
    return;
  }
  if (quietFlag) return;
  fprintf(stderr, "Time = %llu  Probe for %s at %s  Value = %s\n", static_cast<unsigned long long>(phaseFour->time),
          phaseTwo->decal[cind].c_str(), phaseTwo->rcpos[cind].c_str(), signalValueName(v));
}

namespace {

// Byte probes show exactly eight bits; any other width ends the program when first drawn.
void byteValues(int cind, SignalValue values[8]) {
  int n = phaseTwo->numberOfDataInputs[cind];
  if (n != 8) {
    fprintf(stderr, "ERROR -- Probe8 at %s length error: cannot has more than 8 inputs ,you have %d inputs \n",
            phaseTwo->rcpos[cind].c_str(), n);
    exit(1);
  }
  for (int i = 0; i < 8; i++) values[i] = dataInput(cind, i);
}

}  // namespace

void probebyte(int cind) {
  SignalValue values[8];
  byteValues(cind, values);
  if (!haveDisplay()) return;
  const ScreenTile& t = tileOf(cind);
  drawPane_byte(t.x, t.y, t.w, t.h, values, true, 0.25f);
}

void probebyteh(int cind) {
  SignalValue values[8];
  byteValues(cind, values);
  if (!haveDisplay()) return;
  const ScreenTile& t = tileOf(cind);
  drawPane_byte_h(t.x, t.y, t.w, t.h, values, true, 0.25f);
}
