// The comparison of a run with a reference run (--compare-with REF): one cycle's architectural state as
// both runs record it, the first item in which two such cycles differ, and the texts that report it.
#ifndef TARVIK_COMPARE_H
#define TARVIK_COMPARE_H

#include <cstdint>
#include <map>
#include <string>

#include "MemImage.h"
#include "Views.h"

// A stage's word as compared: the address it was fetched from, or one of these.
const int32_t bubbleWord = -1, noFetchWord = -2, unplacedWord = -3;

// One cycle of a run: what is compared (the address of each stage's word, the registers, N, Z, the
// store) and what the report shows beside it.  Plain data: a reference's records come
// through a pipe as they are.
struct ArchCycle {
  uint64_t cycle = 0;  // 1 for the first cycle after reset; 0 closes a reference's records
  int32_t address[numberOfStages] = {};
  uint16_t word[numberOfStages] = {};
  BusValue reg[8];  // the register file after WB's write of this cycle (0 after reset)
  int8_t written = -1;  // the register WB wrote, 1..7, or -1
  int8_t n = 0, z = 0;  // SignalValue
  int8_t access = noAccess;
  BusValue accessAddress, accessData;
  bool branchInMem = false, branchTaken = false, branchUnknown = false;
  BusValue branchTarget;
  bool loadUse = false;  // 5b-forwarding: the load interlock holds ID and IF
};

// The record of cycle c; before is the run's previous cycle (an empty record for the first).
ArchCycle archCycleOf(const CycleView& c, const ArchCycle& before);

// A program's source lines by word address; empty for a program read as an image.
using SourceLines = std::map<uint32_t, int>;
SourceLines sourceLinesOf(const MemoryImage& image, bool fromSource);

// What a run keeps of its records: the count so far and the last two, the most a report looks back
// (the cycle compared and the one before), so that a long run needs no more memory than a short one.
struct RecentCycles {
  uint64_t count = 0;  // records so far; now is record count, before record count - 1
  ArchCycle before, now;
};
void addRecord(RecentCycles& run, const ArchCycle& a);

// Both runs at the cycle compared (yours->count), each with that cycle and the one before; a reference
// whose run ended before has no record of it.
struct ComparedRuns {
  const RecentCycles* yours;
  const RecentCycles* reference;
  const SourceLines* yourLines;
  const SourceLines* referenceLines;
};

// The report of the first item that differs in the last cycle of yours, or "" when none does.  A
// reference that has no record of that cycle (its run ended before) differs in its item "run".
std::string differenceReport(const ComparedRuns& runs);

// Who last wrote an item of the end state in your run: a copy of that cycle's record (no history is
// kept to look it up in) and the stage its word was in.
struct LastWriter {
  ArchCycle record;  // its cycle 0: never
  int stage = stageWB;
};
// The writers of the registers (1..7), the RAM words (by word) and the flags, followed cycle by cycle.
struct Writers {
  LastWriter reg[8];
  std::map<uint32_t, LastWriter> ram;
  LastWriter flags;
};
void followWriters(const ArchCycle& a, Writers& writers);
// "; last written in cycle 23 by 12 ld r1, [r2 + 7] (line 14)" for the item a check names ("Reg1",
// "RAM[8]", "N"), "; never written" or "" when the item is none of those followed.
std::string lastWriterText(const std::string& item, const Writers& writers, const SourceLines& yourLines);

#endif
