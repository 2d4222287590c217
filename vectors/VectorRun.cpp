// Playing a --test table (Vectors.h).
//
// The table drives the circuit as a person would: through the switches' keys, by the key script, so
// every press is made once the circuit has settled.  A settled observer runs the table: when the
// presses of a step are used up and the circuit rests again, it compares the outputs and hands the
// key script the presses of the next step (a step that presses nothing is compared at once).  After
// the last step the run ends without a window, or halts in it.  No observer is installed without
// --test, so a run without it pays nothing.
#include <cstdio>
#include <cstdlib>

#include "Explain.h"
#include "FileIO.h"
#include "Globals.h"
#include "KeyScript.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Ph5.h"
#include "Vectors.h"
#include "Window.h"

namespace {

const char* testFileName = nullptr;
VectorTable table;
size_t nextStep = 0;        // the step under way, or the next one
bool stepUnderWay = false;  // its presses were handed to the key script
bool tableDone = false;
size_t passed = 0, failed = 0;
bool explainFailures = false;  // --explain-failures: each failing step's first wrong output explained
// Steps an explanation goes back: enough to reach the gate behind a wrong output and a little beyond,
// short enough to read under the failing line.
const int failureExplanationDepth = 6;

SignalValue bitNow(int bit) { return phaseThree->currentSignals[size_t(bit)]; }

void press(std::vector<ScriptedKey>& presses, char key) { presses.push_back({1, static_cast<unsigned char>(key)}); }

// The switches first, then the pulses: each switch of a C input to 1 (a pulser pressed once), then
// back to 0, the circuit settling after each press.
std::vector<ScriptedKey> pressesFor(const TestStep& s) {
  std::vector<ScriptedKey> presses, falls;
  for (size_t k = 0; k < table.inputs.size(); k++) {
    const InputColumn& c = table.inputs[k];
    for (size_t b = 0; b < c.keys.size(); b++)
      if (!s.inputs[k].pulse && !c.pulser[b] && bitNow(c.target.bits[b]) != s.inputs[k].bits[b]) press(presses, c.keys[b]);
  }
  for (size_t k = 0; k < table.inputs.size(); k++) {
    const InputColumn& c = table.inputs[k];
    for (size_t b = 0; b < c.keys.size() && s.inputs[k].pulse; b++) {
      if (c.pulser[b] || bitNow(c.target.bits[b]) != ONE) press(presses, c.keys[b]);
      if (!c.pulser[b]) press(falls, c.keys[b]);
    }
  }
  presses.insert(presses.end(), falls.begin(), falls.end());
  return presses;
}

bool matches(const ExpectedValue& e, const std::vector<SignalValue>& actual) {
  for (size_t k = 0; k < e.bits.size(); k++)
    if (e.compared[k] && actual[k] != e.bits[k]) return false;
  return true;
}

// The chain behind the first wrong bit of an output, under its failing line.
void explainWrongBit(const ExpectedValue& e, const std::vector<SignalValue>& actual, const CheckTarget& target) {
  for (size_t k = 0; k < e.bits.size(); k++) {
    if (!e.compared[k] || actual[k] == e.bits[k]) continue;
    std::string chain = explainChainNow(target.bits[k], failureExplanationDepth);
    for (size_t at = 0; at < chain.size();) {
      size_t end = chain.find('\n', at);
      printf("    %s\n", shownText(chain.substr(at, end - at)).c_str());
      at = end + 1;
    }
    return;
  }
}

void compare(size_t step) {
  const TestStep& s = table.steps[step];
  bool ok = true;
  for (size_t k = 0; k < table.outputs.size(); k++) {
    const ExpectedValue& e = s.outputs[k];
    std::vector<SignalValue> actual = currentValue(table.outputs[k]);
    if (matches(e, actual)) continue;
    std::string written = e.text[0] == '=' ? e.text.substr(1) : e.text;  // letters: shown as letters
    printf("%s:%d: step %zu: %s expected %s, actual %s\n", shownText(testFileName).c_str(), s.line, step + 1,
           shownText(table.outputNames[k]).c_str(), shownText(e.text).c_str(), shownLike(written, actual).c_str());
    if (ok && explainFailures) explainWrongBit(e, actual, table.outputs[k]);
    ok = false;
  }
  (ok ? passed : failed)++;
}

void stopRun() {
  if (phaseFive->windexPointer->windowOpen)
    haltFlag = 1;
  else
    done = 1;
}

void endTable() {
  tableDone = true;
  printf("%zu passed, %zu failed\n", passed, failed);
  fflush(stdout);
  stopRun();
}

void settled() {
  if (tableDone || !keyScriptUsedUp()) return;
  if (stepUnderWay) {
    compare(nextStep++);
    stepUnderWay = false;
  }
  for (; nextStep < table.steps.size(); compare(nextStep++)) {
    std::vector<ScriptedKey> presses = pressesFor(table.steps[nextStep]);
    if (presses.empty()) continue;
    stepUnderWay = true;
    replaceKeyScript(presses);
    return;
  }
  endTable();
}

// A restart in the window plays the table again from its first step.
void initialized() {
  nextStep = passed = failed = 0;
  stepUnderWay = tableDone = false;
  if (keyScriptGiven) replaceKeyScript({});
}

// A run that ends before the table does (a stop time, a Stop component, --until) fails the steps
// it did not reach.
void ended() {
  if (tableDone || nextStep >= table.steps.size()) return;
  size_t left = table.steps.size() - nextStep;
  printf("%s:%d: step %zu: not reached, the run ended at tick %llu\n", shownText(testFileName).c_str(),
         table.steps[nextStep].line, nextStep + 1, (unsigned long long)phaseFour->time);
  failed += left;
  printf("%zu passed, %zu failed\n", passed, failed);
  fflush(stdout);
}

void refuse(const std::string& problem) {
  fprintf(stderr, "ERROR -- %s\n", shownText(problem).c_str());
  exit(2);
}

}  // namespace

bool takeTestOption(const char* argument, std::string& problem) {
  // Only one table is played, so a second would be silently ignored.
  if (testFileName) {
    problem = "--test is given twice (" + std::string(testFileName) + " and " + argument + "): give one table";
    return false;
  }
  testFileName = argument;
  noteInputFile(argument, "--test");
  return true;
}

bool takeExplainFailuresOption(const char*, std::string&) { return explainFailures = true; }

void loadVectorTests() {
  if (!testFileName) {
    if (explainFailures) refuse("--explain-failures explains the failing steps of a --test table: give one");
    return;
  }
  if (keyScriptGiven) refuse("--test presses the switches itself; it cannot be given with --keys");
  if (earlyExitFlag) refuse("-E ends before the run, so --test's table would never be played: give one of them");
  std::string text, reason;
  if (!readWholeFile(testFileName, text, reason)) refuse("cannot read the test table " + std::string(testFileName) + ": " + reason);
  std::vector<std::string> errors;
  if (!parseVectorTable(text, testFileName, table, errors)) {
    for (const std::string& e : errors) fprintf(stderr, "ERROR -- %s\n", shownText(e).c_str());
    exit(2);
  }
  RunObserver observer{initialized, nullptr, ended};
  observer.settled = settled;
  runObservers.push_back(observer);
}

int vectorTestStatus() { return failed ? 1 : 0; }

void resetVectorTests() {
  testFileName = nullptr;
  explainFailures = false;
  table = VectorTable();
  nextStep = passed = failed = 0;
  stepUnderWay = tableDone = false;
}
