// Run-time routines of the medium-scale components (delays 13/17).
//
// Combinational parts (adder, incrementer, selectors) recompute every output from the current inputs
// on each evaluation and request every output bit; the transition rules drop requests that change
// nothing.  Clocked parts keep their clocking phase in state[cind] and see an edge by level only: a
// phase waiting for the clock at ONE moves on when the clock is exactly ONE, so a clock passing
// through XXX (as every driven clock does) still gives one edge, and a clock that goes ONE, XXX, ONE
// gives none.  Stored values live only on the output signals.
#include <cstdio>

#include "CompSupport.h"
#include "FlipFlop.h"
#include "RunTime.h"
#include "msiPh1.h"

namespace {

bool isLevel(SignalValue v) { return v == ZERO || v == ONE; }

void driveMsi(int cind, int k, SignalValue v) { drive(cind, k, v, msiQuickTime, msiLazyTime); }

void driveAll(int cind, SignalValue v) {
  for (int k = 0; k < phaseTwo->numberOfOutputs[cind]; k++) driveMsi(cind, k, v);
}

int& phaseOf(int cind) { return phaseTwo->state[cind]; }

// The value of `count` bits from data input `first` on; -1 when any is not ZERO or ONE.
int dataValue(int cind, int first, int count) {
  return integerFromSignals(count, phaseTwo->dataInputs[cind] + first);
}

int controlValue(int cind, int first, int count) {
  return integerFromSignals(count, phaseTwo->controlInputs[cind] + first);
}

// --- Adder and incrementer --------------------------------------------------------------------

int countOf(SignalValue v, SignalValue a, SignalValue b, SignalValue c) {
  return (a == v ? 1 : 0) + (b == v ? 1 : 0) + (c == v ? 1 : 0);
}

SignalValue sumBit(SignalValue a, SignalValue b, SignalValue c) {
  if (!isLevel(a) || !isLevel(b) || !isLevel(c)) return XXX;
  return countOf(ONE, a, b, c) % 2 == 1 ? ONE : ZERO;
}

// A known pair decides the carry whatever the third input is.
SignalValue carryBit(SignalValue a, SignalValue b, SignalValue c) {
  if (countOf(ONE, a, b, c) >= 2) return ONE;
  if (countOf(ZERO, a, b, c) >= 2) return ZERO;
  return XXX;
}

// --- Counter ----------------------------------------------------------------------------------

void clearCount(int cind) { driveAll(cind, ZERO); }

// Adds one to the count on the outputs; false when a bit it reaches is not settled.
bool advanceCount(int cind) {
  for (int k = 0; k < phaseTwo->numberOfOutputs[cind]; k++) {
    SignalValue v = outputValue(cind, k);
    if (v == ONE) {
      driveMsi(cind, k, ZERO);
    } else if (v == ZERO) {
      driveMsi(cind, k, ONE);
      return true;
    } else {
      fprintf(stderr, "Counter clocked when the count is in transition\n");
      return false;
    }
  }
  return true;
}

// --- Flip-flops -------------------------------------------------------------------------------

enum { jkffQP = 0, jkffQ = 1 };

void driveJk(int cind, SignalValue qp, SignalValue q) {
  driveMsi(cind, jkffQP, qp);
  driveMsi(cind, jkffQ, q);
}

// What a clocked JK flip-flop will do when the clock falls: phase 3 drives Q ZERO, 4 ONE, 5 XXX; 1 holds.
int jkDecision(SignalValue j, SignalValue k, SignalValue q) {
  if (j == ZERO && k == ONE) return 3;
  if (j == ONE && k == ZERO) return 4;
  if (j == ONE && k == ONE) return q == ZERO ? 4 : q == ONE ? 3 : 5;
  if (j == ZERO && k == ZERO) return 1;
  return 5;
}

void driveJkDecision(int cind, int decision) {
  if (decision == 3)
    driveJk(cind, ONE, ZERO);
  else if (decision == 4)
    driveJk(cind, ZERO, ONE);
  else
    driveJk(cind, XXX, XXX);
}

// --- Console outputs --------------------------------------------------------------------------

void reportIndeterminate(const char* component, int phase) {
  fprintf(stderr, "\nERROR -- %s component trying to output uninitialized bits \n or bits in transition. state = %d\n",
          component, phase);
}

void printCharacter(int code) {
  if (code == 10) {
    fputc('\n', stderr);
    fflush(stderr);
  } else if (code < 32) {
    fprintf(stderr, "^%c", code + 64);
  } else if (code < 128) {
    fputc(code, stderr);
  } else {
    fputc('|', stderr);
    int low = code - 128;
    if (low <= 31)
      fprintf(stderr, "^%c", low + 64);
    else
      fputc(low, stderr);
  }
}

// Stderr: character code in data inputs 0..7, clock 8, enable 9.  IntOut, HexOut: clock and enable
// are control inputs 0 and 1.
bool consoleEdge(int cind, SignalValue clock, SignalValue enable) {
  return enabledClockEdge(phaseOf(cind), clock, enable, 4);
}

bool controlledConsoleEdge(int cind) { return consoleEdge(cind, controlInput(cind, 0), controlInput(cind, 1)); }

// The value of all data inputs as a non-negative int; -1 when a bit is not ZERO or ONE or the value
// does not fit (a ONE at bit 31 or above).
int printableValue(int cind) {
  int n = phaseTwo->numberOfDataInputs[cind];
  int low = n < 31 ? n : 31;
  int value = dataValue(cind, 0, low);
  for (int b = low; b < n && value >= 0; b++)
    if (dataInput(cind, b) != ZERO) value = -1;
  return value;
}

}  // namespace

bool enabledClockEdge(int& phase, SignalValue clock, SignalValue enable, int phaseAfterAction) {
  if (phase == 0) phase = 1;
  if (phase == 1) {
    if (isLevel(enable)) phase = 2;
    return false;
  }
  if (phase == 2) {
    if (clock != ONE) return false;
    phase = enable == ONE ? phaseAfterAction : 3;
    return enable == ONE;
  }
  if (clock == ZERO) phase = 2;
  return false;
}

void adder(int cind) {
  int w = phaseTwo->integerParameters[cind][0];
  SignalValue carry = ZERO;
  for (int i = 0; i < w; i++) {
    SignalValue a = dataInput(cind, i), b = dataInput(cind, w + i);
    driveMsi(cind, i, sumBit(a, b, carry));
    carry = carryBit(a, b, carry);
  }
}

// Input bits beyond the end of a shorter `in` count as ZERO.
void increment(int cind) {
  bool carry = true;
  int inputs = phaseTwo->numberOfDataInputs[cind];
  for (int i = 0; i < phaseTwo->numberOfOutputs[cind]; i++) {
    SignalValue in = i < inputs ? dataInput(cind, i) : ZERO;
    SignalValue out = in;
    if (carry) {
      if (in == ONE) {
        out = ZERO;
      } else if (in == ZERO) {
        out = ONE;
        carry = false;
      } else {
        out = XXX;
      }
    }
    driveMsi(cind, i, out);
  }
}

void counter(int cind) {
  int& phase = phaseOf(cind);
  SignalValue clock = dataInput(cind, 0), enable = dataInput(cind, 1);
  if (phase != 1 && enable == ZERO) {
    clearCount(cind);
    phase = 1;
  } else if (phase == 1) {
    if (enable == ONE) phase = 2;
  } else if (phase == 2) {
    if (clock == ONE) phase = 3;
  } else if (phase == 3) {
    if (clock == ZERO) phase = advanceCount(cind) ? 2 : 0;
  }
}

void gate(int cind) {
  int& phase = phaseOf(cind);
  SignalValue clock = dataInput(cind, 0), enable = dataInput(cind, 1);
  SignalValue out = UNINITIALIZED;
  bool driven = false;
  if (phase == 0) {
    driven = true;
    phase = 1;
  }
  if (phase == 1 && isLevel(enable)) {
    out = ZERO;
    driven = true;
    phase = 2;
  }
  if (phase == 2) {
    if (clock == ONE && enable == ONE) {
      out = ONE;
      driven = true;
      phase = 4;
    } else if (clock == ONE) {
      phase = 3;
    }
  } else if (phase == 3) {
    if (clock == ZERO) phase = 2;
  } else if (phase == 4) {
    if (clock == ZERO) {
      out = ZERO;
      driven = true;
      phase = 2;
    }
  }
  if (driven) driveMsi(cind, 0, out);
}

void dff(int cind) {
  SignalValue out;
  if (dffStep(phaseOf(cind), phaseTwo->dataInputs[cind], phaseThree->currentSignals.data(), out))
    driveMsi(cind, 0, out);
}

void jkff(int cind) {
  int& phase = phaseOf(cind);
  if (phase == 0) {
    phase = 1;
    driveJk(cind, XXX, XXX);
    return;
  }
  SignalValue reset = dataInput(cind, 0), k = dataInput(cind, 1), clock = dataInput(cind, 2),
              j = dataInput(cind, 3), set = dataInput(cind, 4);
  if (reset == ZERO && set == ZERO) {
    if (phase == 1) {
      if (clock == ZERO) phase = 2;
    } else if (phase == 2) {
      if (clock == ONE) phase = jkDecision(j, k, outputValue(cind, jkffQ));
    } else if (clock == ZERO) {
      driveJkDecision(cind, phase);
      phase = 2;
    }
  } else if (reset == ZERO && set == ONE) {
    phase = 1;
    driveJk(cind, ZERO, ONE);
  } else if (reset == ONE && set == ZERO) {
    phase = 1;
    driveJk(cind, ONE, ZERO);
  }
}

void mux(int cind) {
  int w = phaseTwo->numberOfOutputs[cind];
  int select = controlValue(cind, 0, phaseTwo->numberOfControlInputs[cind]);
  for (int b = 0; b < w; b++) driveMsi(cind, b, select < 0 ? XXX : dataInput(cind, select * w + b));
}

void decoder(int cind) {
  SignalValue enable = controlInput(cind, 0);
  int code = enable == ONE ? dataValue(cind, 0, phaseTwo->numberOfDataInputs[cind]) : -1;
  for (int i = 0; i < phaseTwo->numberOfOutputs[cind]; i++) {
    if (enable == ZERO)
      driveMsi(cind, i, ZERO);
    else if (code >= 0)
      driveMsi(cind, i, i == code ? ONE : ZERO);
    else
      driveMsi(cind, i, XXX);
  }
}

// Outputs: the line number in elements 0..n-1, then valid.
void encoder(int cind) {
  int lines = phaseTwo->numberOfDataInputs[cind], n = phaseTwo->numberOfOutputs[cind] - 1;
  bool invalid = false;
  int highest = -1;
  for (int line = lines - 1; line >= 0; line--) {
    SignalValue v = dataInput(cind, line);
    if (!isLevel(v)) invalid = true;
    if (v == ONE && highest < 0) highest = line;
  }
  if (invalid || highest < 0) {
    driveAll(cind, invalid ? XXX : ZERO);
    return;
  }
  driveMsi(cind, n, ONE);
  for (int i = 0; i < n; i++) driveMsi(cind, i, (highest >> i) & 1 ? ONE : ZERO);
}

void enabledRegister(int cind) {
  if (!enabledClockEdge(phaseOf(cind), controlInput(cind, 0), controlInput(cind, 1), 4)) return;
  for (int i = 0; i < phaseTwo->numberOfOutputs[cind]; i++) driveMsi(cind, i, dataInput(cind, i));
}

namespace {

enum BitRegisterAction { noAction, allXXX, allZERO, allONE, writeOne };

// Data: read address (k bits), write address (k bits), bitIn.  Control: write, enable, set, clear.
// Outputs: the 2^k register bits, then bitOut.
struct BitRegisterInputs {
  SignalValue write, enable, set, clear, bitIn;
  bool clearing() const { return clear == ONE && set == ZERO; }
  bool setting() const { return clear == ZERO && set == ONE; }
  bool quiet() const { return clear == ZERO && set == ZERO && write == ZERO; }
  BitRegisterAction clearOrSet() const { return clearing() ? allZERO : setting() ? allONE : noAction; }
};

BitRegisterAction nextBitRegisterAction(int& phase, const BitRegisterInputs& in) {
  BitRegisterAction clearOrSet = in.clearOrSet();
  switch (phase) {
    case 0:
      phase = 1;
      return allXXX;
    case 1:
      if (clearOrSet != noAction)
        phase = 2;
      else if (in.quiet())
        phase = 3;
      return clearOrSet;
    case 2:
      if (in.quiet()) phase = 3;
      return noAction;
    case 3:
      if (clearOrSet != noAction) {
        phase = 2;
        return clearOrSet;
      }
      if (in.write != ONE) return noAction;
      phase = 4;
      return in.enable == ONE ? writeOne : noAction;
    default:
      if (in.write == ZERO) {
        phase = 3;
        return noAction;
      }
      return clearOrSet;
  }
}

SignalValue actionValue(BitRegisterAction action) {
  return action == allXXX ? XXX : action == allZERO ? ZERO : ONE;
}

}  // namespace

void bitAddressibleRegister(int cind) {
  int k = (phaseTwo->numberOfDataInputs[cind] - 1) / 2, bits = phaseTwo->numberOfOutputs[cind] - 1;
  BitRegisterInputs in = {controlInput(cind, 0), controlInput(cind, 1), controlInput(cind, 2),
                          controlInput(cind, 3), dataInput(cind, 2 * k)};
  int writeAddress = dataValue(cind, k, k), readAddress = dataValue(cind, 0, k);
  BitRegisterAction action = nextBitRegisterAction(phaseOf(cind), in);

  SignalValue bitOut = readAddress >= 0 ? outputValue(cind, readAddress) : XXX;
  if (action == writeOne) {
    if (writeAddress >= 0) driveMsi(cind, writeAddress, in.bitIn);
    if (writeAddress >= 0 && writeAddress == readAddress) bitOut = in.bitIn;
  } else if (action != noAction) {
    driveAll(cind, actionValue(action));
    if (readAddress >= 0) bitOut = actionValue(action);
  }
  driveMsi(cind, bits, bitOut);
}

void _stderr(int cind) {
  if (!consoleEdge(cind, dataInput(cind, 8), dataInput(cind, 9))) return;
  int code = dataValue(cind, 0, 8);
  if (code < 0)
    reportIndeterminate("Stderr", phaseOf(cind));
  else
    printCharacter(code);
}

void intOut(int cind) {
  if (!controlledConsoleEdge(cind)) return;
  int value = printableValue(cind);
  if (value < 0)
    reportIndeterminate("IntOut", phaseOf(cind));
  else
    fprintf(stderr, "%d\n", value);
}

// One hexadecimal digit per group of four bits, most significant first; a short group, if any, is
// the top one.
void hexOut(int cind) {
  if (!controlledConsoleEdge(cind)) return;
  int n = phaseTwo->numberOfDataInputs[cind];
  int top = n % 4;
  for (int first = top ? n - top : n - 4; first >= 0; first -= 4) {
    int width = first == n - top ? top : 4;
    int digit = dataValue(cind, first, width);
    if (digit < 0)
      reportIndeterminate("HexOut", phaseOf(cind));
    else
      fprintf(stderr, "%x", digit);
  }
}
