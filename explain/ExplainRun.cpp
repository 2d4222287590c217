// Explanations during a run: the --explain requests, the history the walk reads, and the moment each
// explanation is taken.
//
// The options only record NAME@TIME; the names are resolved once the netlist is flattened (an
// after-elaboration routine), and only then is a run observer installed, so a run without --explain
// does no work for it.  The observer keeps, per bit, every change of value since the last
// initialisation.  The values at TIME are those after every batch at ticks up to TIME: when the first
// batch past TIME has been applied (before any component has seen it), the history up to TIME is
// complete, and the memories' stores are still as the evaluations up to TIME left them, so that is
// when the explanation is printed, on standard output.  A TIME the run never passes is explained at
// the end of the run, from the values there, and the text says so.  The history keeps the last 512 to
// 1024 changes of each bit, so that a long run does not keep every change it made: an explanation
// that reaches further back (a flip-flop that loaded long before a clock that kept running) leaves
// out the "since" and the clock edge it cannot know.  NAME@cN waits instead for the circuit that
// numbers cycles to say it has read cycle N: the values then, at that tick, are the ones explained.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "CircuitHooks.h"
#include "Explain.h"
#include "Globals.h"
#include "NameIndex.h"
#include "Numbers.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"

int explainDepth = 12;

namespace {

struct Request {
  std::string argument;  // NAME@TIME as given
  std::string name;
  uint64_t time;           // the tick, or the cycle with atCycle
  std::vector<int> bits;  // highest bit first
  bool taken;
  bool atCycle;
};

std::vector<Request> requests;
// Per bit, the last changes (at least keptChanges of them): so that a long run's history stays small.
// What was dropped is summed up by the value and the tick of the latest dropped change.
const size_t keptChanges = 512;
std::vector<std::vector<BitChange>> history;  // per bit, since the last initialisation or the trimming
std::vector<SignalValue> startValues;         // per bit, at the last initialisation or latest dropped change
std::vector<uint64_t> startTimes;             // per bit, 0 or the tick of the latest dropped change
bool recording = false;                       // history is being kept
void (*startCycles)() = nullptr;              // offered by a circuit that numbers its cycles
uint64_t lastCycleRead = 0;

Past pastUpTo(uint64_t now) {
  Past p;
  if (recording) {
    p.history = &history;
    p.startValues = &startValues;
    p.startTimes = &startTimes;
  }
  p.now = now;
  return p;
}

void print(const Request& r, uint64_t at, const std::string& heading) {
  std::string text = heading + "\n" + explainBits(r.bits, at, pastUpTo(at), explainDepth);
  fputs(text.c_str(), stdout);
}

void startHistory() {
  startValues = phaseThree->currentSignals;
  startTimes.assign(startValues.size(), 0);
  history.assign(startValues.size(), {});
  recording = true;
}

// Drops the older half of a full history, in one move, so that each change is moved at most once.
void trim(size_t bit) {
  std::vector<BitChange>& h = history[bit];
  startValues[bit] = h[keptChanges - 1].value;
  startTimes[bit] = h[keptChanges - 1].time;
  h.erase(h.begin(), h.begin() + long(keptChanges));
}

bool anyPending() {
  return std::any_of(requests.begin(), requests.end(), [](const Request& r) { return !r.taken; });
}

// Explains every request whose TIME lies before the batch at `time`.
void takeDue(uint64_t time) {
  for (Request& r : requests)
    if (!r.taken && !r.atCycle && r.time < time) {
      r.taken = true;
      print(r, r.time, "explain " + r.name + " at " + std::to_string(r.time));
    }
}

void recordBatch(uint64_t time, const std::vector<int>& changedBits) {
  takeDue(time);
  if (!recording) return;
  // Once every request is answered only the window's gesture could still want the past.
  if (!anyPending() && !useXDisplay) {
    recording = false;
    history.clear();
    return;
  }
  const std::vector<SignalValue>& now = phaseThree->currentSignals;
  for (int s : changedBits) {
    std::vector<BitChange>& h = history[size_t(s)];
    SignalValue last = h.empty() ? startValues[size_t(s)] : h.back().value;
    if (now[size_t(s)] == last) continue;
    h.push_back({time, now[size_t(s)]});
    if (h.size() == 2 * keptChanges) trim(size_t(s));
  }
}

void explainAtEnd() {
  uint64_t end = phaseFour->time;
  for (Request& r : requests) {
    if (r.taken) continue;
    r.taken = true;
    if (r.atCycle) {
      print(r, end, "explain " + r.name + " at cycle " + std::to_string(r.time) + ": the run ended at " +
                        std::to_string(end) + " after cycle " + std::to_string(lastCycleRead) +
                        ", so these are the values at its end");
      continue;
    }
    std::string heading = "explain " + r.name + " at " + std::to_string(r.time);
    if (r.time > end) heading += ": the run ended at " + std::to_string(end) + ", so these are the values at its end";
    print(r, std::min(r.time, end), heading);
  }
  fflush(stdout);
}

// After elaboration: every name must pick one bundle (and the bit one of its bits).
void resolveRequests() {
  bool faulty = false;
  for (Request& r : requests) {
    std::string problem;
    if (bitsNamed(r.name, r.bits, problem)) {
      std::reverse(r.bits.begin(), r.bits.end());
      continue;
    }
    fprintf(stderr, "ERROR -- --explain %s: %s\n", r.argument.c_str(), problem.c_str());
    faulty = true;
  }
  if (faulty) exit(2);
  std::stable_sort(requests.begin(), requests.end(), [](const Request& a, const Request& b) { return a.time < b.time; });
  lastCycleRead = 0;
  runObservers.push_back({startHistory, recordBatch, explainAtEnd});
  if (std::any_of(requests.begin(), requests.end(), [](const Request& r) { return r.atCycle; })) startCycles();
}

// "cN": a cycle from 1; refused where no circuit numbers cycles.
bool readCycleNumber(const std::string& text, const std::string& argument, uint64_t& cycle, std::string& problem) {
  if (!startCycles) {
    problem = "option --explain " + argument + ": this circuit does not number its cycles; give TIME as a tick";
    return false;
  }
  if (readNumber(text.substr(1), decimalFrom(1, UINT64_MAX), cycle)) return true;
  problem = "option --explain " + argument + ": " + text + " is not c followed by a cycle number from 1";
  return false;
}

}  // namespace

// Before a bit's kept history only the start value is known, and when it took effect only if that
// was the initialisation (tick 0) or a recorded change.
SignalValue Past::valueAt(int bit, uint64_t at) const {
  if (!history) return phaseThree->currentSignals[size_t(bit)];
  const std::vector<BitChange>& h = (*history)[size_t(bit)];
  auto after = std::upper_bound(h.begin(), h.end(), at, [](uint64_t t, const BitChange& c) { return t < c.time; });
  return after == h.begin() ? (*startValues)[size_t(bit)] : (after - 1)->value;
}

// Without a history the scheduling record tells it when nothing is pending for the bit: its last
// queued change is then the one that gave the present value.
bool Past::sinceAt(int bit, uint64_t at, uint64_t& since) const {
  const PhaseThree& p3 = *phaseThree;
  if (!history) {
    since = p3.scheduledTimes[size_t(bit)];
    return p3.scheduledSignals[size_t(bit)] == p3.currentSignals[size_t(bit)] && since <= now;
  }
  const std::vector<BitChange>& h = (*history)[size_t(bit)];
  auto after = std::upper_bound(h.begin(), h.end(), at, [](uint64_t t, const BitChange& c) { return t < c.time; });
  since = after == h.begin() ? (*startTimes)[size_t(bit)] : (after - 1)->time;
  return since <= at;
}

bool Past::nextChangeAfter(int bit, uint64_t at, BitChange& next) const {
  if (history) {
    const std::vector<BitChange>& h = (*history)[size_t(bit)];
    auto after = std::upper_bound(h.begin(), h.end(), at, [](uint64_t t, const BitChange& c) { return t < c.time; });
    if (after != h.end()) {
      next = *after;
      return true;
    }
  }
  const PhaseThree& p3 = *phaseThree;
  next = {p3.scheduledTimes[size_t(bit)], p3.scheduledSignals[size_t(bit)]};
  return next.time > at && next.value != valueAt(bit, at);
}

bool Past::lastRiseAtOrBefore(int bit, uint64_t latest, uint64_t& rise) const {
  if (!history) return false;
  const std::vector<BitChange>& h = (*history)[size_t(bit)];
  for (auto c = h.rbegin(); c != h.rend(); ++c)
    if (c->time <= latest && c->value == ONE) {
      rise = c->time;
      return true;
    }
  rise = (*startTimes)[size_t(bit)];
  return rise > 0 && rise <= latest && (*startValues)[size_t(bit)] == ONE;  // the latest dropped change
}

bool takeExplainOption(const char* argument, std::string& problem) {
  std::string text = argument;
  size_t at = text.rfind('@');
  uint64_t time = 0;
  if (at == std::string::npos || at == 0 || at + 1 == text.size()) {
    problem = "option --explain requires NAME@TIME, not " + text;
    return false;
  }
  std::string when = text.substr(at + 1);
  bool atCycle = when[0] == 'c';
  if (atCycle && !readCycleNumber(when, text, time, problem)) return false;
  if (!atCycle && !readNumber(when, NumberSyntax(), time)) {
    problem = "option --explain " + text + ": the time " + when + " is not a decimal tick";
    return false;
  }
  requests.push_back({text, text.substr(0, at), time, {}, false, atCycle});
  if (requests.size() == 1) addAfterElaborationHook(resolveRequests);  // the first attaches the resolver of all
  return true;
}

bool takeExplainDepthOption(const char* argument, std::string& problem) {
  uint64_t depth = 0;
  if (!readNumber(argument, decimalFrom(0, 1000), depth)) {
    problem = std::string("option --explain-depth requires a number of steps from 0 to 1000, not ") + argument;
    return false;
  }
  explainDepth = int(depth);
  return true;
}

std::string explainBitNow(int bit) {
  uint64_t now = phaseFour->time;
  return "explain " + bitName(bit) + " at " + std::to_string(now) + "\n" +
         explainBits({bit}, now, pastUpTo(now), explainDepth);
}

std::string explainChainNow(int bit, int depth) {
  uint64_t now = phaseFour->time;
  return explainChain(bit, now, pastUpTo(now), depth);
}

void offerExplainCycles(void (*start)()) { startCycles = start; }

void explainCycleRead(uint64_t cycle) {
  lastCycleRead = cycle;
  for (Request& r : requests)
    if (!r.taken && r.atCycle && r.time == cycle) {
      r.taken = true;
      uint64_t now = phaseFour->time;
      print(r, now, "explain " + r.name + " at cycle " + std::to_string(cycle) + " (tick " + std::to_string(now) + ")");
    }
}

void resetExplanations() {
  requests.clear();
  startCycles = nullptr;
  lastCycleRead = 0;
  removeAfterElaborationHook(resolveRequests);
  history.clear();
  startValues.clear();
  startTimes.clear();
  recording = false;
  explainDepth = 12;
  resetExplainTables();
}
