// The letters tests write signal values in, as --expect writes them: 0 ZERO, 1 ONE, X XXX, Z HIZ,
// U UNINITIALIZED.
#ifndef TARVIK_TESTS_LEVELS_H
#define TARVIK_TESTS_LEVELS_H

#include "Expect.h"

inline char levelChar(SignalValue v) { return letterOfValue(v); }
inline SignalValue levelOf(char c) { return valueOfLetter(c); }

#endif
