// Test vectors for any circuit (--test FILE): a table whose steps set the circuit's switches, wait
// for it to settle and compare its outputs.  The file's form is described in VectorTable.cpp and in
// docs/vectors.md.
#ifndef TARVIK_VECTORS_H
#define TARVIK_VECTORS_H

#include <cstddef>
#include <string>
#include <vector>

#include "Expect.h"

// --test FILE: keeps the file name for the step after elaboration.
bool takeTestOption(const char* argument, std::string& problem);
// --explain-failures: under each failing step, the chain behind its first wrong output bit.
bool takeExplainFailuresOption(const char* argument, std::string& problem);

// One input column: a bundle whose every bit a Switch or a Pulser drives, pressed by its key.
struct InputColumn {
  std::string name;          // as written in the table
  CheckTarget target;        // its bits, bit 0 first
  std::vector<char> keys;    // the key of each bit's switch or pulser
  std::vector<bool> pulser;  // the bit's source is a Pulser: pressed once on C, else left alone
};

// One step's value for an input: bits, or a clock pulse (C).
struct InputValue {
  bool pulse = false;
  std::vector<SignalValue> bits;  // bit 0 first; empty for a pulse
};

// One step's expectation of an output: the value per bit, and which bits are compared.
struct ExpectedValue {
  std::string text;               // as written, expressions worked out, for the report
  std::vector<SignalValue> bits;  // bit 0 first
  std::vector<bool> compared;     // false where the table says X (don't care)
};

struct TestStep {
  int line = 0;  // of the file
  std::vector<InputValue> inputs;
  std::vector<ExpectedValue> outputs;
};

struct VectorTable {
  std::vector<InputColumn> inputs;
  std::vector<CheckTarget> outputs;
  std::vector<std::string> outputNames;  // as written
  std::vector<TestStep> steps;
};

// Reads a table from text (the contents of file) against the elaborated netlist: true, or false with
// errors "FILE:LINE: problem", one a faulty line, at most maxExpectationFaults of them.
bool parseVectorTable(const std::string& text, const std::string& file, VectorTable& table,
                      std::vector<std::string>& errors);
// The most steps a table may have once its repeats are counted out, so that a typo cannot make a run
// that never ends, and the most values (steps times columns), so that a short table over many outputs
// cannot take gigabytes.
const size_t maxTestSteps = 100000;
const size_t maxTestValues = 1000000;

// An integer expression of the loop counter (VectorExpr.cpp): true with value, or false with problem.
bool evaluateCounterExpression(const std::string& text, long long counter, long long& value, std::string& problem);
// The counter's name in a repeat's lines.
const char counterName = 'i';

// After elaboration, when --test was given: reads the table (status 2 with every fault before the
// run) and installs the run observer that plays it.
void loadVectorTests();
// 1 when a step failed or was never reached, else 0.
int vectorTestStatus();
void resetVectorTests();

#endif
