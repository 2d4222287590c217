// The walk behind an explanation: from a bit back through the components that drive it.
//
// Each step prints one line: the bit's value at the tick asked for, since when it has held it, the
// component that drives it (kind, label, position, module path) and the values of the inputs that
// bear on that output.  An unknown value (UNINITIALIZED, XXX, HIZ) is then followed into the inputs
// that are unknown too, at the same tick; a flip-flop or register that captured an unknown is followed
// into its inputs at the tick it captured.  The walk stops at a source: an undriven bit, a constant, a
// switch or timed source, a tri-state conflict or a bus nobody drives, a memory word never written, a
// loop (a bit met again on the way back), or a value still passing through XXX towards a level.
// ZERO and ONE are explained shallowly: the driver and its inputs only.  A bit explained once at a
// tick is referred to afterwards instead of being printed again.
#include <algorithm>
#include <set>
#include <utility>

#include "CompKinds.h"
#include "CompSupport.h"
#include "Explain.h"
#include "Globals.h"
#include "MemImage.h"
#include "NameIndex.h"
#include "Ph2.h"
#include "Ph3.h"
#include "vlsiPh1.h"

namespace {

// A driver of a bit: the component and which of its outputs the bit is.
struct Driver {
  int component;
  int output;
};

// The drivers of every bit, found once after elaboration.
struct WalkTables {
  bool built = false;
  std::vector<std::vector<Driver>> drivers;  // per bit
};
WalkTables tables;

// Module boxes only describe structure: a component drives its outputs when it has a routine.
void findDrivers() {
  const PhaseTwo& p2 = *phaseTwo;
  tables.drivers.assign(size_t(p2.numberOfSignals), {});
  for (int c = 0; c < p2.numberOfComponents; c++) {
    if (!p2.logicEvaluate[size_t(c)] && !p2.xEventTriggered[size_t(c)]) continue;
    for (int k = 0; k < p2.numberOfOutputs[size_t(c)]; k++)
      tables.drivers[size_t(p2.outputs[size_t(c)][k])].push_back({c, k});
  }
}

void buildTables() {
  if (tables.built) return;
  tables.built = true;
  findDrivers();
}

// A bit's names as the walk prints them: in full where it stands alone, short among a driver's inputs.
std::string fullName(int bit) { return fullBitName(bit); }
std::string shortName(int bit) { return shortBitName(bit); }

bool isLevel(SignalValue v) { return v == ZERO || v == ONE; }

// An input of a component as the walk shows it: its bit and, for clocked parts, its role.
struct Pin {
  int bit;
  const char* role;
};

std::vector<Pin> pinsOf(const int* bits, int from, int count, const char* role) {
  std::vector<Pin> pins;
  for (int i = from; i < from + count; i++) pins.push_back({bits[i], role});
  return pins;
}

std::vector<Pin> allInputs(int c) {
  const PhaseTwo& p2 = *phaseTwo;
  std::vector<Pin> pins = pinsOf(p2.dataInputs[size_t(c)], 0, p2.numberOfDataInputs[size_t(c)], nullptr);
  std::vector<Pin> control = pinsOf(p2.controlInputs[size_t(c)], 0, p2.numberOfControlInputs[size_t(c)], nullptr);
  pins.insert(pins.end(), control.begin(), control.end());
  return pins;
}

class Walk {
public:
  const Past& past;
  uint64_t requestTime;
  int maxDepth;
  std::string text;
  std::set<std::pair<int, uint64_t>> explained;  // (bit, tick) already printed with its subtree
  std::vector<std::pair<int, uint64_t>> path;    // the steps from the root down to the present one

  bool levelsToo = false;  // a level is followed into every input too, back to the sources
  std::string depthNote;   // what the line where maxDepth stops the walk says in brackets

  Walk(const Past& p, uint64_t at, int depth)
      : past(p), requestTime(at), maxDepth(depth), depthNote("--explain-depth " + std::to_string(depth) + " stops here") {}

  // change: explain what made the bit change at `at` (a clock edge) rather than its value.
  void explain(int bit, uint64_t at, int depth, bool change = false);

private:
  SignalValue value(int bit, uint64_t at) const { return past.valueAt(bit, at); }
  int number(const std::vector<Pin>& pins, uint64_t at) const;
  std::vector<Pin> relevantInputs(const Driver& d, uint64_t at) const;
  std::string head(int bit, uint64_t at) const;
  std::string driverText(const Driver& d) const;
  std::string pinsText(const std::vector<Pin>& pins, uint64_t at) const;
  void line(int depth, const std::string& s) { text += std::string(size_t(2 * depth), ' ') + s + "\n"; }
  void follow(const std::vector<Pin>& pins, uint64_t at, int depth);
  void followEvery(const std::vector<Pin>& pins, uint64_t at, int depth);
  bool tooDeep(int depth);
  bool loopBack(int bit, uint64_t at, int depth);
  std::string transition(int bit, uint64_t at, SignalValue v) const;
  bool loadsAt(const Driver& d, const std::vector<Pin>& pins, uint64_t edge) const;
  bool combinational(const Driver& d) const;
  void explainChange(uint64_t at, int depth, const Driver& d, const std::string& lead);
  void explainDriven(int bit, uint64_t at, int depth, const Driver& d, const std::string& lead);
  void explainBus(int bit, uint64_t at, int depth, const std::vector<Driver>& buffers, const std::string& lead);
  void explainClocked(int bit, uint64_t at, int depth, const Driver& d, const std::string& lead);
  void explainMemory(int bit, uint64_t at, int depth, const Driver& d, const std::string& lead);
  void explainSource(int bit, uint64_t at, int depth, const Driver& d, const std::string& lead);
};

// The number the pins hold at `at`, bit 0 first; -1 when any is not a level.
int Walk::number(const std::vector<Pin>& pins, uint64_t at) const {
  int n = 0;
  for (size_t i = 0; i < pins.size() && i < 31; i++) {
    SignalValue v = value(pins[i].bit, at);
    if (!isLevel(v)) return -1;
    if (v == ONE) n |= 1 << i;
  }
  return n;
}

// The inputs that decide output d.output: the selected data word's bit and the select of a Mux, the
// pins of a flip-flop or a register's bit, a memory port's address; else every input.
std::vector<Pin> Walk::relevantInputs(const Driver& d, uint64_t at) const {
  const PhaseTwo& p2 = *phaseTwo;
  size_t c = size_t(d.component);
  const int* data = p2.dataInputs[c];
  const int* control = p2.controlInputs[c];
  switch (kindOf(d.component).role) {
    case flipFlop:
      if (p2.numberOfDataInputs[c] != 4) break;
      return {{data[0], "R"}, {data[1], "C"}, {data[2], "D"}, {data[3], "S"}};
    case wordRegister:
      if (p2.numberOfControlInputs[c] != 2 || d.output >= p2.numberOfDataInputs[c]) break;
      return {{control[0], "write"}, {control[1], "enable"}, {data[d.output], "D"}};
    case busDriver:
      if (p2.numberOfControlInputs[c] != 1 || p2.numberOfDataInputs[c] != 1) break;
      return {{control[0], "enable"}, {data[0], "data"}};
    case selector: {
      std::vector<Pin> pins = pinsOf(control, 0, p2.numberOfControlInputs[c], "select");
      int select = number(pins, at), width = p2.numberOfOutputs[c];
      int chosen = select * width + d.output;
      if (select >= 0 && chosen < p2.numberOfDataInputs[c]) pins.push_back({data[chosen], "data"});
      return pins;
    }
    case multiPort: {
      const int* p = p2.integerParameters[c];
      int port = d.output / p[bitWordWidthParameter], size = p[portAddressSizeParameter];
      return pinsOf(control, port * size, size, "address");
    }
    default: break;
  }
  return allInputs(d.component);
}

std::string Walk::head(int bit, uint64_t at) const {
  std::string s = fullName(bit) + " = " + signalValueName(value(bit, at));
  if (at != requestTime) s += " at " + std::to_string(at);
  uint64_t since;
  if (past.sinceAt(bit, at, since)) s += " since " + std::to_string(since);
  return s;
}

std::string Walk::driverText(const Driver& d) const {
  const PhaseTwo& p2 = *phaseTwo;
  size_t c = size_t(d.component);
  std::string kind = kindOf(d.component).name, s = kind;
  if (!p2.decal[c].empty() && p2.decal[c] != kind) s += " \"" + p2.decal[c] + "\"";
  s += " at " + p2.rcpos[c];
  const std::string& modulePath = componentPath(d.component);
  if (!modulePath.empty()) s += " in " + modulePath;
  return s;
}

// "(R reset=ZERO, C clk=ONE)"; past eight pins only the unknown ones are named.
std::string Walk::pinsText(const std::vector<Pin>& pins, uint64_t at) const {
  if (pins.empty()) return "";
  bool all = pins.size() <= 8;
  std::string s;
  size_t levels = 0;
  for (const Pin& p : pins) {
    SignalValue v = value(p.bit, at);
    if (!all && isLevel(v)) {
      levels++;
      continue;
    }
    s += (s.empty() ? "" : ", ") + std::string(p.role ? std::string(p.role) + " " : "") +
         shortName(p.bit) + "=" + signalValueName(v);
  }
  if (levels) s += (s.empty() ? "" : ", ") + std::to_string(levels) + " more at ZERO or ONE";
  return " (" + s + ")";
}

// Each unknown pin once, in pin order, one step further down.
void Walk::follow(const std::vector<Pin>& pins, uint64_t at, int depth) {
  std::vector<int> seen;
  std::vector<int> unknown;
  for (const Pin& p : pins)
    if (!isLevel(value(p.bit, at)) && std::find(seen.begin(), seen.end(), p.bit) == seen.end()) {
      seen.push_back(p.bit);
      unknown.push_back(p.bit);
    }
  if (unknown.empty() || tooDeep(depth)) return;
  for (int bit : unknown) explain(bit, at, depth);
}

// Each pin once, in pin order, one step further down, whatever its value.
void Walk::followEvery(const std::vector<Pin>& pins, uint64_t at, int depth) {
  std::vector<int> seen;
  for (const Pin& p : pins)
    if (std::find(seen.begin(), seen.end(), p.bit) == seen.end()) seen.push_back(p.bit);
  if (seen.empty() || tooDeep(depth)) return;
  for (int bit : seen) explain(bit, at, depth);
}

bool Walk::tooDeep(int depth) {
  if (depth < maxDepth) return false;
  line(depth, "... (" + depthNote + ")");
  return true;
}

// A bit met again on the way back: the loop, named once by its members.
bool Walk::loopBack(int bit, uint64_t at, int depth) {
  auto self = std::find(path.begin(), path.end(), std::make_pair(bit, at));
  if (self == path.end()) return false;
  std::string members;
  for (auto p = self; p != path.end(); ++p) members += (members.empty() ? "" : ", ") + fullName(p->first);
  line(depth, fullName(bit) + " = " + signalValueName(value(bit, at)) + ": a loop through " + members);
  return true;
}

// ": passing through XXX, becomes ONE at 120" (": becomes XXX at 7" from another value) when a later
// change of the bit is known.
std::string Walk::transition(int bit, uint64_t at, SignalValue v) const {
  BitChange next;
  if (!past.nextChangeAfter(bit, at, next) || next.value == v) return "";
  return std::string(v == XXX ? ": passing through XXX," : ":") + " becomes " + signalValueName(next.value) + " at " +
         std::to_string(next.time);
}

void Walk::explain(int bit, uint64_t at, int depth, bool change) {
  if (loopBack(bit, at, depth)) return;
  if (!explained.insert({bit, at}).second) {
    line(depth, head(bit, at) + ": explained above");
    return;
  }
  path.push_back({bit, at});
  std::string lead = head(bit, at);
  const std::vector<Driver>& drivers = tables.drivers[size_t(bit)];
  if (phaseTwo->constSignals[size_t(bit)])
    line(depth, lead + ": a constant");
  else if (drivers.empty())
    line(depth, lead + ": nothing drives it");
  else if (kindOf(drivers[0].component).role == busDriver)
    explainBus(bit, at, depth, drivers, lead);
  else if (change && combinational(drivers[0]))
    explainChange(at, depth, drivers[0], lead);
  else
    explainDriven(bit, at, depth, drivers[0], lead);
  path.pop_back();
}

bool Walk::combinational(const Driver& d) const {
  ComponentRole r = kindOf(d.component).role;
  return r == gateRole || r == selector || r == otherRole;
}

// A change (a clock's rising edge): what changed before it, back to the storage or source it started
// from.  The input that changed last before `at` is the one that made it.
void Walk::explainChange(uint64_t at, int depth, const Driver& d, const std::string& lead) {
  std::vector<Pin> pins = relevantInputs(d, at);
  std::string about = lead + " <- " + driverText(d) + pinsText(pins, at);
  const Pin* trigger = nullptr;
  uint64_t latest = 0;
  for (const Pin& p : pins) {
    uint64_t since;
    if (past.sinceAt(p.bit, at > 0 ? at - 1 : 0, since) && since > 0 && since < at && (!trigger || since > latest)) {
      trigger = &p;
      latest = since;
    }
  }
  if (!trigger) {
    line(depth, about);
    return;
  }
  line(depth, about + ": after " + shortName(trigger->bit) + " changed at " + std::to_string(latest));
  if (!tooDeep(depth + 1)) explain(trigger->bit, latest, depth + 1, true);
}

void Walk::explainDriven(int bit, uint64_t at, int depth, const Driver& d, const std::string& lead) {
  switch (kindOf(d.component).role) {
    case flipFlop:
    case wordRegister: explainClocked(bit, at, depth, d, lead); return;
    case multiPort: explainMemory(bit, at, depth, d, lead); return;
    case sourceRole: explainSource(bit, at, depth, d, lead); return;
    default: break;
  }
  SignalValue v = value(bit, at);
  std::vector<Pin> pins = relevantInputs(d, at);
  std::string about = lead + " <- " + driverText(d) + pinsText(pins, at);
  bool inputsKnown = std::all_of(pins.begin(), pins.end(), [&](const Pin& p) { return isLevel(value(p.bit, at)); });
  std::string moving = isLevel(v) ? "" : transition(bit, at, v);
  if (isLevel(v) || (!inputsKnown && moving.empty())) {
    line(depth, about);
    if (!isLevel(v)) follow(pins, at, depth + 1);
    else if (levelsToo) followEvery(pins, at, depth + 1);
    return;
  }
  line(depth, about + (moving.empty() ? ": its inputs are all ZERO or ONE" : moving));
  // An unknown on its way to a level: a wave of XXX passing through; the input unknown the longest
  // leads back towards where it started.
  const Pin* oldest = nullptr;
  uint64_t earliest = 0;
  for (const Pin& p : pins) {
    uint64_t since = 0;
    if (isLevel(value(p.bit, at))) continue;
    past.sinceAt(p.bit, at, since);
    if (!oldest || since < earliest) {
      oldest = &p;
      earliest = since;
    }
  }
  if (oldest) follow({*oldest}, at, depth + 1);
}

// The bus's buffers with their requests: two driving it is a conflict, none leaves it HIZ.
void Walk::explainBus(int bit, uint64_t at, int depth, const std::vector<Driver>& buffers, const std::string& lead) {
  std::vector<const Driver*> driving;
  std::vector<Pin> undecided;
  for (const Driver& b : buffers) {
    std::vector<Pin> pins = relevantInputs(b, at);
    SignalValue enable = value(pins[0].bit, at);
    if (enable == ONE && isLevel(value(pins[1].bit, at))) driving.push_back(&b);
    if (!isLevel(enable) || (enable == ONE && !isLevel(value(pins[1].bit, at)))) undecided.insert(undecided.end(), pins.begin(), pins.end());
  }
  std::string what;
  if (driving.size() > 1)
    what = ": a tri-state conflict between " + std::to_string(driving.size()) + " enabled buffers";
  else if (driving.empty() && undecided.empty())
    what = ": no buffer is enabled";
  else
    what = ": a bus of " + std::to_string(buffers.size()) + (buffers.size() == 1 ? " buffer" : " buffers") +
           transition(bit, at, value(bit, at));
  line(depth, lead + what);
  for (const Driver& b : buffers) {
    std::vector<Pin> pins = relevantInputs(b, at);
    bool drives = std::find(driving.begin(), driving.end(), &b) != driving.end();
    line(depth + 1, driverText(b) + pinsText(pins, at) + (drives ? std::string(": drives ") + signalValueName(value(pins[1].bit, at)) : ""));
  }
  if (driving.empty() && undecided.empty() && !tooDeep(depth + 1))
    for (const Driver& b : buffers) explain(relevantInputs(b, at)[0].bit, at, depth + 1);
  if (driving.size() <= 1) follow(undecided, at, depth + 1);
}

// Flip-flops and registers show a clock edge on their outputs this many ticks later at the earliest
// (the medium family's quick delay), and at the latest one lazy delay and a tick's shift later.
const uint64_t soonestLoad = msiQuickTime, latestLoad = msiLazyTime + 1;

// Whether a clock edge at `edge` loaded the data pin: a Dff needs R and S at ZERO, a Register its
// enable at ONE.
bool Walk::loadsAt(const Driver& d, const std::vector<Pin>& pins, uint64_t edge) const {
  if (kindOf(d.component).role == flipFlop) return value(pins[0].bit, edge) == ZERO && value(pins[3].bit, edge) == ZERO;
  return value(pins[1].bit, edge) == ONE;
}

// A Dff's Q or a Register's bit.  An unknown the last clock edge loaded is followed into the clock and
// the data as they were at that edge; one it has held since the start into why no edge loaded it.
void Walk::explainClocked(int bit, uint64_t at, int depth, const Driver& d, const std::string& lead) {
  SignalValue v = value(bit, at);
  std::vector<Pin> pins = relevantInputs(d, at);
  std::string about = lead + " <- " + driverText(d) + pinsText(pins, at);
  const Pin& clockPin = pins[kindOf(d.component).role == flipFlop ? 1 : 0];
  const Pin& dataPin = pins[2];
  uint64_t since = 0, edge = 0;
  if (isLevel(v)) {
    bool clocked = past.sinceAt(bit, at, since) && since >= soonestLoad &&
                   past.lastRiseAtOrBefore(clockPin.bit, since - soonestLoad, edge) && since - edge <= latestLoad;
    line(depth, about + (clocked ? ": loaded when " + shortName(clockPin.bit) + " rose at " + std::to_string(edge) : ""));
    return;
  }
  std::string moving = transition(bit, at, v);
  if (!moving.empty()) {
    bool clocked = past.sinceAt(bit, at, since) && since >= soonestLoad &&
                   past.lastRiseAtOrBefore(clockPin.bit, since - soonestLoad, edge) && since - edge <= latestLoad;
    line(depth, about + moving + (clocked ? ", loaded when " + shortName(clockPin.bit) + " rose at " +
                                                std::to_string(edge)
                                          : ""));
    return;
  }
  if (at >= soonestLoad && past.lastRiseAtOrBefore(clockPin.bit, at - soonestLoad, edge) && loadsAt(d, pins, edge) &&
      value(dataPin.bit, edge) == v) {
    line(depth, lead + " <- " + driverText(d) + ": loaded " + signalValueName(v) + " when " +
                    shortName(clockPin.bit) + " rose at " + std::to_string(edge) + pinsText(pins, edge));
    if (tooDeep(depth + 1)) return;
    explain(clockPin.bit, edge, depth + 1, true);
    explain(dataPin.bit, edge, depth + 1);
    return;
  }
  if (!past.history && phaseThree->whenScheduled[size_t(bit)] > 0) {
    line(depth, about + ": loaded when its clock last acted, at " + std::to_string(phaseThree->whenScheduled[size_t(bit)]) +
                    " (its inputs then were not kept)");
    return;
  }
  line(depth, about + (kindOf(d.component).role == flipFlop ? ": the XXX it starts with; no clock edge has loaded it"
                                                            : ": never loaded since the start"));
  follow(pins, at, depth + 1);
}

// A memory port's bit: an unknown address, or the word it reads.
void Walk::explainMemory(int bit, uint64_t at, int depth, const Driver& d, const std::string& lead) {
  SignalValue v = value(bit, at);
  std::vector<Pin> pins = relevantInputs(d, at);
  std::string about = lead + " <- " + driverText(d) + pinsText(pins, at);
  int address = number(pins, at);
  std::string memory = memoryPathOf(d.component), problem;
  std::vector<SignalValue> word;
  const int* p = phaseTwo->integerParameters[size_t(d.component)];
  int width = p[bitWordWidthParameter];
  if (isLevel(v) || address < 0 || memory.empty() || !readMemoryWord(memory, uint32_t(address), word, problem)) {
    line(depth, about + (address < 0 ? ": its read address is unknown" : ""));
    if (!isLevel(v)) follow(pins, at, depth + 1);
    return;
  }
  int lane = d.output % width;
  SignalValue stored = size_t(lane) < word.size() ? word[size_t(lane)] : v;
  std::string wordName = "word " + std::to_string(address) + " of " + memory;
  if (stored == UNINITIALIZED && v == UNINITIALIZED)
    line(depth, about + ": " + wordName + " was never written");
  else if (stored == v)
    line(depth, about + ": " + wordName + " holds " + signalValueName(v) + " in bit " + std::to_string(lane) +
                    ", as written");
  else
    line(depth, about + ": reading " + wordName + ", which holds " + signalValueName(stored) + " in bit " +
                    std::to_string(lane));
}

// Switches, pulsers, clocks, power-on sources: at their initial value, or changed by key or time.
void Walk::explainSource(int bit, uint64_t at, int depth, const Driver& d, const std::string& lead) {
  const PhaseTwo& p2 = *phaseTwo;
  size_t c = size_t(d.component);
  int initBit = p2.integerParameters[c][p2.numberOfIntegerParameters[c] - 1];
  SignalValue v = value(bit, at), init = value(initBit, at);
  std::string about = lead + " <- " + driverText(d) + " (init " + shortName(initBit) + "=" +
                      signalValueName(init) + ")";
  std::string moving = isLevel(v) ? "" : transition(bit, at, v);
  if (v == init)
    line(depth, about + ": at its initial value");
  else if (!isLevel(init))
    line(depth, about + ": its initial value is unknown");
  else if (!moving.empty())
    line(depth, about + moving);
  else if (v == UNINITIALIZED)
    line(depth, about + ": not yet at its initial value");
  else
    line(depth, about + (p2.xEventTriggered[c] ? ": changed by its key" : ": changed by its timing"));
  if (!isLevel(init)) follow({{initBit, "init"}}, at, depth + 1);
}

}  // namespace

std::string bitName(int bit) { return bit >= 0 && size_t(bit) < nameIndex().bitBundles.size() ? fullName(bit) : "?"; }

std::string explainBits(const std::vector<int>& bits, uint64_t at, const Past& past, int depth) {
  buildTables();
  Walk walk(past, at, depth);
  for (int bit : bits) walk.explain(bit, at, 0);
  return walk.text;
}

std::string explainChain(int bit, uint64_t at, const Past& past, int depth) {
  buildTables();
  Walk walk(past, at, depth);
  walk.levelsToo = true;
  walk.depthNote = "further steps left out";
  walk.explain(bit, at, 0);
  return walk.text;
}

void resetExplainTables() { tables = WalkTables(); }
