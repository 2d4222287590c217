// --until COND (Until.h).
//
// The conditions are kept as written until the netlist is built, then resolved through the checks'
// reader of names and values (Expect.h), so that --until and --expect read them alike.  Without a
// circuit of its own points, a settled run observer checks them each time the circuit comes to rest;
// none is installed without --until, so a run without it pays nothing.  When the run ends with none
// held, one line says so.
#include "Until.h"

#include <cstdio>
#include <cstdlib>

#include "FileIO.h"
#include "Globals.h"
#include "KeyScript.h"
#include "Ph4.h"
#include "Ph5.h"
#include "Window.h"

namespace {

std::vector<StopCondition> conditions;
CircuitStopPoints circuitPoints;
bool held = false;        // a condition held in this run (since the last restart)
uint64_t lastCycle = 0;   // the circuit's count at its last point, 0 before one

const char haltWord[] = "halt";

// NAME=VALUE or NAME!=VALUE, both parts present.
bool splitCondition(const std::string& text, StopCondition& c, std::string& name, std::string& value) {
  size_t at = text.find("!=");
  size_t length = 2;
  if (at == std::string::npos) {
    at = text.find('=');
    length = 1;
  }
  if (at == std::string::npos || at == 0 || at + length == text.size()) return false;
  c.equal = length == 1;
  name = text.substr(0, at);
  value = text.substr(at + length);
  return true;
}

bool holds(const StopCondition& c, bool halted) {
  if (c.halt) return halted;
  return (currentValue(c.target) == c.value) == c.equal;
}

std::string atCycle(uint64_t cycle) { return cycle ? " (cycle " + std::to_string(cycle) + ")" : ""; }

void stopRun() {
  if (!phaseFive->windexPointer->windowOpen) {
    done = 1;
    return;
  }
  haltFlag = 1;
  replaceKeyScript({});
}

void restarted() {
  held = false;
  lastCycle = 0;
}

void settled() { stopConditionHeld(0, false); }

void ended() {
  if (held || earlyExitFlag) return;
  fprintf(stderr, "--until: no condition held; the run ended at tick %llu%s\n",
          (unsigned long long)phaseFour->time, atCycle(lastCycle).c_str());
}

}  // namespace

bool resolveStopCondition(StopCondition& c, std::string& problem) {
  if (c.text == haltWord) {
    c.halt = true;
    if (!circuitPoints.knowsHalt) problem = "this circuit does not know when a program halts";
    return circuitPoints.knowsHalt;
  }
  std::string name, value;
  if (!splitCondition(c.text, c, name, value)) {
    problem = "needs NAME=VALUE, NAME!=VALUE" + std::string(circuitPoints.knowsHalt ? " or halt" : "");
    return false;
  }
  return readCheckTarget(name, c.target, problem) && readCheckValue(value, c.target, name, c.value, problem);
}

bool takeUntilOption(const char* argument, std::string&) {
  if (conditions.empty() && circuitPoints.arm) circuitPoints.arm();
  StopCondition c;
  c.text = argument;
  conditions.push_back(c);
  return true;
}

bool stopConditionsGiven() { return !conditions.empty(); }

bool noStopConditionHeld() { return !conditions.empty() && !held && !earlyExitFlag; }

void setCircuitStopPoints(const CircuitStopPoints& points) { circuitPoints = points; }

bool stopConditionHeld(uint64_t cycle, bool halted) {
  lastCycle = cycle;
  if (held) return false;
  for (const StopCondition& c : conditions)
    if (holds(c, halted)) {
      held = true;
      fprintf(stderr, stopConditionHeldFormat, shownText(c.text).c_str(),
              (unsigned long long)phaseFour->time, atCycle(cycle).c_str());
      stopRun();
      return true;
    }
  return false;
}

void loadStopConditions() {
  if (conditions.empty()) return;
  bool faulty = false;
  for (StopCondition& c : conditions) {
    std::string problem;
    if (resolveStopCondition(c, problem)) continue;
    fprintf(stderr, "ERROR -- --until %s: %s\n", shownText(c.text).c_str(), shownText(problem).c_str());
    faulty = true;
  }
  if (faulty) exit(2);
  RunObserver observer{restarted, nullptr, ended};
  if (!circuitPoints.arm) observer.settled = settled;
  runObservers.push_back(observer);
}

void resetStopConditions() {
  conditions.clear();
  held = false;
  lastCycle = 0;
}
