// --summary: the state the program left and what the run took, printed when the run ends.
//
// The registers, N, Z and PC are read off the circuit at the end.  The RAM words listed are those the
// observed bus writes went to (a store in MEM to an address with bit 6 set); their values are read
// from the RAM (the wide memory of its two byte lanes) at the end.  The counts come from the cycles
// read: instructions completed are the fetched ones that were in WB (bubbles are not counted), stall
// cycles those in which a stall signal was ONE, branches taken those in which MEM's branch was
// decided taken.  A program that halts (halt: bra halt, ViewsHalt.cpp) is counted up to its last
// cycle: the halt branch and the words after it complete, the branch is not counted as taken, and
// the halt loop after it counts only in the cycles run.
#include <cstdio>
#include <set>

#include "MemImage.h"
#include "ProcessorNames.h"
#include "Views.h"

namespace {

struct Tally {
  uint64_t cycles = 0, completed = 0, stallCycles = 0, branchesTaken = 0;
  uint64_t programCycles = 0, haltCycle = 0;  // the cycles up to the halt (all when none)
  std::set<unsigned> ramWordsWritten;
};

Tally tally;

const unsigned ramAddressBit = 0x40, ramWordMask = 0x3F;

BusValue ramWord(unsigned w) {
  std::vector<SignalValue> bits;
  std::string problem;
  if (!readMemoryWord(processorNames::ram, w, bits, problem) || bits.size() != 16) bits.assign(16, UNINITIALIZED);
  BusValue v;
  v.unknown = 0;
  for (int i = 0; i < 16; i++) setBusBit(v, i, bits[size_t(i)]);
  return v;
}

void printRegisters() {
  printf("Registers:\n");
  for (int r = 0; r < 8; r++) {
    BusValue v = readBus(processorNames::registers[r]);
    printf("  r%d = 0x%s %6s\n", r, hexWord(v).c_str(), signedWord(v).c_str());
  }
  BusValue pc = readBus(processorNames::pc);
  printf("  N = %s  Z = %s  PC = 0x%s (%s)\n", flagLetter(readBit(processorNames::n)).c_str(),
         flagLetter(readBit(processorNames::z)).c_str(),
         hexWord(pc).c_str(), pc.known() ? std::to_string(pc.value).c_str() : "?");
}

void printRamWritten() {
  printf("RAM words written:%s\n", tally.ramWordsWritten.empty() ? " none" : "");
  for (unsigned w : tally.ramWordsWritten) {
    BusValue v = ramWord(w);
    printf("  RAM[%u] (address 0x%04x) = 0x%s %6s\n", w, w | ramAddressBit, hexWord(v).c_str(),
           signedWord(v).c_str());
  }
}

void printCounts() {
  printf("Cycles run:             %llu\n", (unsigned long long)tally.cycles);
  printf("Instructions completed: %llu\n", (unsigned long long)tally.completed);
  printf("Stall cycles:           %llu\n", (unsigned long long)tally.stallCycles);
  printf("Branches taken:         %llu\n", (unsigned long long)tally.branchesTaken);
  if (tally.completed)
    printf("Cycles per instruction: %.2f\n", double(tally.programCycles) / double(tally.completed));
  else
    printf("Cycles per instruction: -\n");
  if (tally.haltCycle)
    printf("Halted in cycle:        %llu (halt: bra halt; the loop after it is not counted above)\n",
           (unsigned long long)tally.haltCycle);
}

}  // namespace

void summaryBegin() { tally = Tally(); }

void summaryCycle(const CycleView& c) {
  tally.cycles++;
  tally.haltCycle = c.haltCycle;
  if (c.inHaltLoop()) return;
  tally.programCycles++;
  if (c.slot[stageWB].id >= 0 && (!c.haltDecided || c.slot[stageWB].id <= c.lastProgramWord)) tally.completed++;
  for (bool held : c.stalled)
    if (held) {
      tally.stallCycles++;
      break;
    }
  if (c.branchTaken && !c.haltDecided) tally.branchesTaken++;
  if (c.access == storeAccess && c.accessAddress.known() && (c.accessAddress.value & ramAddressBit))
    tally.ramWordsWritten.insert(c.accessAddress.value & ramWordMask);
}

void summaryEnd() {
  printf("\nSummary:\n");
  printRegisters();
  printRamWritten();
  printCounts();
}
