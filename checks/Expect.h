// End-of-run checks (--expect FILE): expected values of declared bundles, compared when the run ends.
#ifndef TARVIK_EXPECT_H
#define TARVIK_EXPECT_H

#include <cstddef>
#include <string>
#include <vector>

#include "Signal.h"

// When --expect was given: reads the file and resolves its names.  A file that cannot be read, a
// malformed line or a name that matches no bundle or several ends the process with status 2.  Call
// after flattening, before the run.
void loadExpectations();
// Reads expectations from text (the contents of file) and keeps them for the end of the run: true, or
// false with errors "FILE:LINE: problem", one a faulty line, at most maxExpectationFaults and then a
// last "FILE: more than N faulty lines, the rest not read".  After elaboration.
bool parseExpectations(const std::string& text, const std::string& file, std::vector<std::string>& errors);
// So that a binary file given by mistake is reported in a screenful, not megabytes.
const size_t maxExpectationFaults = 20;
// 1 when a check failed at the end of the run, else 0.
int expectationStatus();
// Forgets the checks of a previous run in this process (tests).
void resetExpectations();

// The letters values are written in: 0 ZERO, 1 ONE, X XXX, Z HIZ, U UNINITIALIZED (any other letter).
SignalValue valueOfLetter(char c);
char letterOfValue(SignalValue v);

#endif
