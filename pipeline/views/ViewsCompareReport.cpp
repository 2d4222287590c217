// What the comparison with a reference run reads off a cycle, and how it reports where two runs part.
//
// The items of a cycle are compared in a fixed order: the address of each stage's word (IF to WB), the
// registers r1 to r7, N, Z and the store MEM makes; the first that differs is reported with both
// values (the halt needs no item of its own: it follows from the words' addresses).  Its cause is the
// word of your run that decides that item: a register is written by the word in WB, the flags by the
// word in EX, a store by the word in MEM, and which word IF fetches by the branch in MEM the cycle
// before (or, where none, by the word in ID the load interlock holds, or by a load or store in MEM
// holding the fetch).  The memory access of the cause (a load's is in MEM the cycle before its
// write-back) is shown for both runs, then each run's word in each stage.
#include <cstdio>

#include "Compare.h"
#include "Isa.h"

namespace {

int32_t addressOf(const CycleView& c, int stage) {
  if (stage == stageIF && !c.fetching) return noFetchWord;
  if (c.slot[stage].id == bubbleSlot) return bubbleWord;
  if (c.slot[stage].id == unknownSlot) return unplacedWord;
  return c.slot[stage].address;
}


std::string stageWordText(const ArchCycle& a, int stage, const SourceLines& lines) {
  int32_t address = a.address[stage];
  if (address == noFetchWord) return "(no fetch)";
  if (address == bubbleWord) return "(bubble)";
  std::string text = instructionText(knownBus(a.word[stage]), address < 0 ? -1 : address);
  if (address == unplacedWord) return "? " + text;
  auto line = lines.find(uint32_t(address));
  return std::to_string(address) + " " + text + (line == lines.end() ? "" : " (line " + std::to_string(line->second) + ")");
}

std::string addressText(int32_t address) {
  if (address == noFetchWord) return "no fetch";
  if (address == bubbleWord) return "bubble";
  return address == unplacedWord ? "?" : std::to_string(address);
}

std::string storeText(const ArchCycle& a) {
  return a.access == storeAccess ? accessText(storeAccess, a.accessAddress, a.accessData) : "none";
}

bool sameBus(const BusValue& a, const BusValue& b) { return a.value == b.value && a.unknown == b.unknown; }

// The item that differs: its name and values, the stage of the word that decides it and how many
// cycles before the compared one that word was there, and the cycle (0 none) of the access shown.
struct Difference {
  std::string item, yours, reference;
  int causeStage = -1;
  int causeBack = 0;
  int accessBack = -1;
};

// Which word decides what IF fetched: a branch in MEM the cycle before, else the word the load
// interlock holds in ID (in one run only), else a memory access now.
void fetchCause(const ArchCycle& y, const ArchCycle& r, const ArchCycle* yoursBefore,
                const ArchCycle* referenceBefore, Difference& d) {
  bool branch = (yoursBefore && yoursBefore->branchInMem) || (referenceBefore && referenceBefore->branchInMem);
  d.causeStage = !branch && y.loadUse != r.loadUse ? stageID : stageMEM;
  d.causeBack = branch ? 1 : 0;
  if (d.causeStage == stageMEM && !branch) d.accessBack = 0;
}

bool stagesDiffer(const ArchCycle& y, const ArchCycle& r, Difference& d) {
  for (int stage = stageIF; stage < numberOfStages; stage++) {
    if (y.address[stage] == r.address[stage]) continue;
    d = {std::string(stageNames[stage]) + " address", addressText(y.address[stage]), addressText(r.address[stage])};
    return true;
  }
  return false;
}

bool registersDiffer(const ArchCycle& y, const ArchCycle& r, Difference& d) {
  for (int k = 1; k < 8; k++) {
    if (sameBus(y.reg[k], r.reg[k])) continue;
    d = {"r" + std::to_string(k), hexOf(y.reg[k]), hexOf(r.reg[k]), stageWB, 0, 1};
    return true;
  }
  return false;
}

bool flagsDiffer(const ArchCycle& y, const ArchCycle& r, Difference& d) {
  if (y.n != r.n) d = {"N", flagLetter(SignalValue(y.n)), flagLetter(SignalValue(r.n)), stageEX};
  else if (y.z != r.z) d = {"Z", flagLetter(SignalValue(y.z)), flagLetter(SignalValue(r.z)), stageEX};
  else return false;
  return true;
}

bool storesDiffer(const ArchCycle& y, const ArchCycle& r, Difference& d) {
  if (storeText(y) == storeText(r)) return false;
  d = {"store", storeText(y), storeText(r), stageMEM, 0, 0};
  return true;
}

// Record k of a run (cycle k), where it is one of the two kept.
const ArchCycle* recordOf(const RecentCycles& run, uint64_t cycle) {
  if (cycle >= 1 && cycle == run.count) return &run.now;
  return cycle >= 1 && cycle + 1 == run.count ? &run.before : nullptr;
}

bool firstDifference(const ComparedRuns& runs, Difference& d) {
  const ArchCycle& y = runs.yours->now;
  const ArchCycle* r = recordOf(*runs.reference, y.cycle);
  if (!r) {
    d = {"run", "running", "ended at cycle " + std::to_string(runs.reference->count)};
    return true;
  }
  if (stagesDiffer(y, *r, d)) {
    fetchCause(y, *r, recordOf(*runs.yours, y.cycle - 1), recordOf(*runs.reference, y.cycle - 1), d);
    return true;
  }
  return registersDiffer(y, *r, d) || flagsDiffer(y, *r, d) || storesDiffer(y, *r, d);
}

std::string branchText(const ArchCycle& a) {
  return a.branchInMem ? ", " + branchEventText(a.branchTaken, a.branchUnknown, a.branchTarget) : "";
}

std::string causeLine(const ComparedRuns& runs, const Difference& d, uint64_t cycle) {
  const ArchCycle* y = recordOf(*runs.yours, cycle - uint64_t(d.causeBack));
  const ArchCycle* r = recordOf(*runs.reference, cycle - uint64_t(d.causeBack));
  if (d.causeStage < 0 || !y) return "";
  std::string line = "  cause: cycle " + std::to_string(y->cycle) + ", " + stageNames[d.causeStage] + ": " +
                     stageWordText(*y, d.causeStage, *runs.yourLines);
  if (y->loadUse && d.causeStage == stageID) line += ", held by the load interlock";
  if (d.causeStage != stageMEM) return line + "\n";
  line += branchText(*y);
  if (r && (r->branchInMem || y->branchInMem) && branchText(*r) != branchText(*y))
    line += "; reference " + (r->branchInMem ? branchText(*r).substr(2) : "no branch");
  return line + "\n";
}

std::string accessOf(const ArchCycle* a) {
  return a && a->access != noAccess ? accessText(MemoryAccess(a->access), a->accessAddress, a->accessData) : "none";
}

std::string accessLine(const ComparedRuns& runs, const Difference& d, uint64_t cycle) {
  if (d.accessBack < 0 || cycle <= uint64_t(d.accessBack)) return "";
  uint64_t at = cycle - uint64_t(d.accessBack);
  const ArchCycle *y = recordOf(*runs.yours, at), *r = recordOf(*runs.reference, at);
  if (accessOf(y) == "none" && accessOf(r) == "none") return "";
  return "  memory, cycle " + std::to_string(at) + ": yours " + accessOf(y) + ", reference " + accessOf(r) + "\n";
}

const size_t columnWidth = 36;

std::string stagesTable(const ComparedRuns& runs, uint64_t cycle) {
  const ArchCycle* y = recordOf(*runs.yours, cycle);
  const ArchCycle* r = recordOf(*runs.reference, cycle);
  std::string table = "  " + padded("", 5) + padded("yours", columnWidth) + "reference\n";
  for (int stage = stageIF; stage < numberOfStages; stage++) {
    std::string mine = stageWordText(*y, stage, *runs.yourLines);
    std::string theirs = r ? stageWordText(*r, stage, *runs.referenceLines) : "-";
    table += "  " + padded(stageNames[stage], 5) + padded(mine, columnWidth - 1) + " " + theirs + "\n";
  }
  return table;
}

}  // namespace

ArchCycle archCycleOf(const CycleView& c, const ArchCycle& before) {
  ArchCycle a;
  a.cycle = c.cycle;
  for (int stage = stageIF; stage < numberOfStages; stage++) {
    a.address[stage] = addressOf(c, stage);
    a.word[stage] = c.slot[stage].word;
  }
  for (int k = 0; k < 8; k++) a.reg[k] = before.cycle ? before.reg[k] : knownBus(0);
  if (c.writtenRegister > 0) {
    a.written = int8_t(c.writtenRegister);
    a.reg[c.writtenRegister] = c.writtenValue;
  }
  a.n = int8_t(c.n);
  a.z = int8_t(c.z);
  a.access = int8_t(c.access);
  a.accessAddress = c.accessAddress;
  a.accessData = c.accessData;
  a.branchInMem = c.branchInMem;
  a.branchTaken = c.branchTaken;
  a.branchUnknown = c.branchUnknown;
  a.branchTarget = c.branchTarget;
  a.loadUse = c.loadUse;
  return a;
}

SourceLines sourceLinesOf(const MemoryImage& image, bool fromSource) {
  SourceLines lines;
  if (fromSource)
    for (const ImageWord& w : image.words) lines[w.address] = w.line;
  return lines;
}

std::string differenceReport(const ComparedRuns& runs) {
  Difference d;
  if (!firstDifference(runs, d)) return "";
  uint64_t cycle = runs.yours->now.cycle;
  return "--compare-with: the runs part at cycle " + std::to_string(cycle) + "\n  " + d.item + ": yours " + d.yours +
         ", reference " + d.reference + "\n" + causeLine(runs, d, cycle) + accessLine(runs, d, cycle) +
         stagesTable(runs, cycle);
}

void addRecord(RecentCycles& run, const ArchCycle& a) {
  run.count++;
  run.before = run.now;
  run.now = a;
}

void followWriters(const ArchCycle& a, Writers& writers) {
  if (a.written > 0) writers.reg[a.written] = {a, stageWB};
  uint16_t ex = a.word[stageEX];
  if (a.address[stageEX] >= 0 && (ex & 0xC000) == 0 && (ex & psrBit)) writers.flags = {a, stageEX};
  bool ramStore = a.access == storeAccess && a.accessAddress.known() && (a.accessAddress.value & ramAddressBit);
  if (ramStore) writers.ram[a.accessAddress.value & ramWordMask] = {a, stageMEM};
}

std::string lastWriterText(const std::string& item, const Writers& writers, const SourceLines& yourLines) {
  const LastWriter* w = nullptr;
  unsigned k = 0;
  if (item == "N" || item == "Z") w = &writers.flags;
  if (sscanf(item.c_str(), "Reg%u", &k) == 1 && k >= 1 && k < 8) w = &writers.reg[k];
  if (sscanf(item.c_str(), "RAM[%u]", &k) == 1) {
    auto found = writers.ram.find(k);
    static const LastWriter never;
    w = found == writers.ram.end() ? &never : &found->second;
  }
  if (!w) return "";
  if (!w->record.cycle) return "; never written";
  return "; last written in cycle " + std::to_string(w->record.cycle) + " by " +
         stageWordText(w->record, w->stage, yourLines);
}
