// End-of-run checks (--expect FILE): expected values of declared bundles, compared when the run ends.
#ifndef TARVIK_EXPECT_H
#define TARVIK_EXPECT_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Signal.h"

// When --expect was given: reads the file and resolves its names.  A file that cannot be read, a
// malformed line or a name that matches no bundle or several ends the process with status 2.  Call
// after flattening, before the run.
extern const char* expectFileName;  // --expect: values checked when the run ends; null = none

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

// A NAME and a VALUE as an expectation file writes them, for the readers that share them (--until).
// The target: a bundle's bits (NAME, NAME[i]), or a memory word (MEMORY[ADDR]).
struct CheckTarget {
  std::string path;         // the bundle's qualified name (with [i] for one bit), or MEMORY[WORD]
  std::vector<int> bits;    // its serial numbers, bit 0 first; empty for a memory word
  std::string memory;       // a memory word's memory (its full name), else empty
  uint32_t address = 0;     // the word
  size_t width = 0;
};
// What the checks read, in the file's order (a reference run is compared on these items).
std::vector<CheckTarget> expectedTargets();
bool readCheckTarget(const std::string& name, CheckTarget& target, std::string& problem);
// The value text as bits of the target's width, bit 0 first; false with problem when it is malformed
// or does not fit.  A negative decimal (-3) is the two's complement in that width.
bool readCheckValue(const std::string& text, const CheckTarget& target, const std::string& name,
                    std::vector<SignalValue>& bits, std::string& problem);
// The target's value now.
std::vector<SignalValue> currentValue(const CheckTarget& target);

// bits in the notation of a value written as text (hex, binary, decimal, letters), as the checks'
// reports show an actual value beside the expected one.
std::string shownLike(const std::string& written, const std::vector<SignalValue>& bits);

// The letters values are written in: 0 ZERO, 1 ONE, X XXX, Z HIZ, U UNINITIALIZED (any other letter).
SignalValue valueOfLetter(char c);
char letterOfValue(SignalValue v);

#endif
