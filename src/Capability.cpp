// The records of the capabilities and the fixed points at which the core calls them (Capability.h).
//
// The records live in a function-local static, ready whatever the order of static initialisation; the
// library's own are added on first use, before any a program adds, so that equal numbers keep one order.
#include "Capability.h"

#include <algorithm>

#include "Globals.h"
#include "Ph4.h"

namespace {

const ScriptedInput* chosenInput = nullptr;  // found once: the run loop asks at every input poll

std::vector<Capability>& records() {
  static std::vector<Capability> all;
  static bool libraryAdded = false;
  if (!libraryAdded) {
    libraryAdded = true;
    addLibraryCapabilities();
  }
  return all;
}

std::vector<const Capability*> sortedBy(int Capability::*number) {
  std::vector<const Capability*> sorted;
  for (const Capability& c : records()) sorted.push_back(&c);
  std::stable_sort(sorted.begin(), sorted.end(),
                   [number](const Capability* a, const Capability* b) { return a->*number < b->*number; });
  return sorted;
}

const ScriptedInput noScript = {
    [] { return false; },
    [] { return true; },
    [] { return uint64_t(0); },
    [] { return phaseFour->settled() || haltFlag != 0; },  // nothing can come: done once the circuit rests
    [](int* eventType, int*) { *eventType = 0; },
};

}  // namespace

bool addCapability(const Capability& capability) {
  records().push_back(capability);
  chosenInput = nullptr;
  return true;
}

const std::vector<Capability>& capabilities() { return records(); }

std::vector<const Capability*> capabilitiesListed() { return sortedBy(&Capability::listedAt); }

std::vector<const Capability*> capabilitiesInSteps() { return sortedBy(&Capability::stepAt); }

void callCapabilityAfterConstruction() {
  for (const Capability* c : capabilitiesInSteps())
    if (c->afterConstruction) c->afterConstruction();
}

void callCapabilityBeforeSteps() {
  for (const Capability* c : capabilitiesInSteps())
    if (c->beforeSteps) c->beforeSteps();
}

void callCapabilityAfterElaboration() {
  for (const Capability* c : capabilitiesInSteps())
    if (c->afterElaboration) c->afterElaboration();
}

void callCapabilityRunEnded() {
  for (const Capability* c : capabilitiesInSteps())
    if (c->runEnded) c->runEnded();
}

// The highest status wins; among equals the first record in step order with a reason of its own (a
// run whose --until never held passes, but says so).  A run that never reached its stop condition is
// named by that, whatever the status: its checks judged a state it was not meant to end in (a program
// that never halts fails its --expect too, and "did not halt" is the news).
Verdict capabilitiesVerdict() {
  Verdict verdict{exitPassed, reasonPassed, ""};
  bool stopConditionMissed = false;
  for (const Capability* c : capabilitiesInSteps()) {
    if (!c->verdict) continue;
    Verdict v = c->verdict();
    if (v.status > verdict.status || (v.status == verdict.status && verdict.reason == reasonPassed)) verdict = v;
    stopConditionMissed |= v.reason == reasonNoStopCondition;
  }
  // Bad input or a lost write (status 2) is news of its own, whatever the run reached.
  if (stopConditionMissed && verdict.status <= exitFailed) verdict = {verdict.status, reasonNoStopCondition, ""};
  return verdict;
}

void resetCapabilities() {
  for (const Capability& c : records())
    if (c.reset) c.reset();
}

const ScriptedInput& scriptedInput() {
  if (chosenInput) return *chosenInput;
  chosenInput = &noScript;
  for (const Capability& c : records())
    if (c.input) {
      chosenInput = c.input;
      break;
    }
  return *chosenInput;
}

bool capabilityTakesPaneClick(int x, int y) {
  for (const Capability& c : records())
    if (c.paneClicked && c.paneClicked(x, y)) return true;
  return false;
}

std::string capabilityPaneValue(int x, int y) {
  for (const Capability& c : records()) {
    std::string value = c.paneValue ? c.paneValue(x, y) : "";
    if (!value.empty()) return value;
  }
  return "";
}
