// The letters tests write signal values in: 0 ZERO, 1 ONE, X XXX, Z HIZ, U UNINITIALIZED.
#ifndef TARVIK_TESTS_LEVELS_H
#define TARVIK_TESTS_LEVELS_H

#include "Signal.h"

inline char levelChar(SignalValue v) {
  switch (v) {
    case ZERO: return '0';
    case ONE: return '1';
    case XXX: return 'X';
    case HIZ: return 'Z';
    case UNINITIALIZED: return 'U';
  }
  return '?';
}

inline SignalValue levelOf(char c) {
  switch (c) {
    case '0': return ZERO;
    case '1': return ONE;
    case 'X': return XXX;
    case 'Z': return HIZ;
    default: return UNINITIALIZED;
  }
}

#endif
