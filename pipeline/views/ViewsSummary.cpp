// --summary: the state the program left and what the run took, printed when the run ends.
//
// The registers, N, Z and PC are read off the circuit at the end.  The RAM words listed are those the
// observed bus writes went to (a store in MEM to an address with bit 6 set), in every cycle run, the
// halt loop's included, each with the value last stored: what the trace shows.  The counts come from
// the cycles read: instructions completed are the fetched ones that were in WB (bubbles are not
// counted), stall cycles those in which a stall signal was ONE, branches taken those in which MEM's
// branch was decided taken.  A program that halts (halt: bra halt, ViewsHalt.cpp) is counted up to
// its last cycle: the halt branch and the words after it complete, the branch is not counted as
// taken, and the halt loop after it counts only in the cycles run.  Stores to a ROM address (bit 6 ZERO on the
// bus) are dropped by the memory: they are counted and listed apart, so that a store that changed
// nothing does not go unnoticed.  With --summary-ram the RAM's words are listed as the run left them,
// and the last line warns when the program ran off its end (ViewsRunOff.cpp).  On a processor with
// forwarding the stall cycles are also counted by cause (memory, load-use) and the forwarded operands
// by the stage they came from.  Cycles per instruction are also given without the nops completed,
// which a program for a processor without forwarding needs where one with it does not.
#include <cstdio>
#include <map>

#include "MemImage.h"
#include "ProcessorNames.h"
#include "Views.h"

namespace {

struct Tally {
  uint64_t cycles = 0, completed = 0, stallCycles = 0, branchesTaken = 0;
  uint64_t nopsCompleted = 0;  // of the completed: nop words (0x0000), the program's and the ROM's empty ones
  uint64_t programCycles = 0, haltCycle = 0;  // the cycles up to the halt (all when none)
  // A processor with forwarding: the stall cycles by cause (a cycle may have both), and the operands
  // EX took from MEM and from WB.
  bool hasForwarding = false;
  uint64_t memoryStalls = 0, loadUseStalls = 0, forwardsFrom[forwardUnknown] = {};
  std::map<unsigned, BusValue> ramWordsWritten;  // RAM word -> the value last stored
};

Tally tally;

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

void printRamWord(unsigned w, const BusValue& v) {
  printf("  RAM[%u] (address 0x%04x) = 0x%s %6s\n", w, w | ramAddressBit, hexWord(v).c_str(), signedWord(v).c_str());
}

void printRamWritten() {
  printf("RAM words written:%s\n", tally.ramWordsWritten.empty() ? " none" : "");
  for (const auto& written : tally.ramWordsWritten) printRamWord(written.first, written.second);
}

// Stores the ROM dropped: the count, and the first few with their cycle.
struct IgnoredStores {
  uint64_t count = 0;
  std::vector<CycleView> first;
};
const size_t ignoredStoresListed = 10;

IgnoredStores ignoredStores;

void noteIgnoredStore(const CycleView& c) {
  if (!storeIgnored(c)) return;
  ignoredStores.count++;
  if (ignoredStores.first.size() < ignoredStoresListed) ignoredStores.first.push_back(c);
}

void printIgnoredStores() {
  if (ignoredStores.count == 0) return;
  printf("Stores ignored (ROM address): %llu\n", (unsigned long long)ignoredStores.count);
  for (const CycleView& c : ignoredStores.first)
    printf("  cycle %llu: store [0x%s] <- 0x%s\n", (unsigned long long)c.cycle, hexWord(c.accessAddress).c_str(),
           hexWord(c.accessData).c_str());
  if (ignoredStores.count > ignoredStores.first.size())
    printf("  ... and %llu more\n", (unsigned long long)(ignoredStores.count - ignoredStores.first.size()));
}

// --summary-ram: the RAM as the run left it, every word or those that hold something (neither 0x0000
// nor never written).
bool ramWordHoldsSomething(unsigned w) {
  std::vector<SignalValue> bits;
  std::string problem;
  if (!readMemoryWord(processorNames::ram, w, bits, problem)) return true;
  bool anyWritten = false, anyNonZero = false;
  for (SignalValue b : bits) {
    anyWritten = anyWritten || b != UNINITIALIZED;
    anyNonZero = anyNonZero || b != ZERO;
  }
  return anyWritten && anyNonZero;
}

void printRamContents() {
  if (summaryRam == summaryRamNone) return;
  bool all = summaryRam == summaryRamAll;
  std::vector<unsigned> shown;
  for (unsigned w = 0; w <= ramWordMask; w++)
    if (all || ramWordHoldsSomething(w)) shown.push_back(w);
  printf("RAM, %s:%s\n", all ? "every word" : "non-zero words (never-written ones left out)", shown.empty() ? " none" : "");
  for (unsigned w : shown) printRamWord(w, ramWord(w));
}

void printForwardingCounts() {
  printf("  memory:               %llu\n", (unsigned long long)tally.memoryStalls);
  printf("  load-use:             %llu\n", (unsigned long long)tally.loadUseStalls);
  uint64_t fromMEM = tally.forwardsFrom[forwardMEM], fromWB = tally.forwardsFrom[forwardWB];
  printf("Forwarded operands:     %llu (%llu from MEM, %llu from WB)\n", (unsigned long long)(fromMEM + fromWB),
         (unsigned long long)fromMEM, (unsigned long long)fromWB);
}

void countForwarding(const CycleView& c) {
  tally.hasForwarding = true;
  if (c.stalled[stageIF] && memoryStall(c)) tally.memoryStalls++;
  if (c.loadUse) tally.loadUseStalls++;
  for (ForwardSource source : c.forwarded)
    if (source == forwardMEM || source == forwardWB) tally.forwardsFrom[source]++;
}

// The program's cycles per instruction, "1.23"; "-" for none.
std::string cyclesPer(uint64_t instructions) {
  if (instructions == 0) return "-";
  char text[32];
  snprintf(text, sizeof text, "%.2f", double(tally.programCycles) / double(instructions));
  return text;
}

void printCounts() {
  printf("Cycles run:             %llu\n", (unsigned long long)tally.cycles);
  printf("Instructions completed: %llu\n", (unsigned long long)tally.completed);
  printf("Stall cycles:           %llu\n", (unsigned long long)tally.stallCycles);
  if (tally.hasForwarding) printForwardingCounts();
  printf("Branches taken:         %llu\n", (unsigned long long)tally.branchesTaken);
  printf("Cycles per instruction: %s\n", cyclesPer(tally.completed).c_str());
  printf("  without nops:         %s (%llu %s left out)\n", cyclesPer(tally.completed - tally.nopsCompleted).c_str(),
         (unsigned long long)tally.nopsCompleted, tally.nopsCompleted == 1 ? "nop" : "nops");
  if (tally.haltCycle)
    printf("Halted in cycle:        %llu (halt: bra halt; the loop after it is not counted above)\n",
           (unsigned long long)tally.haltCycle);
}

}  // namespace

void summaryBegin() {
  tally = Tally();
  ignoredStores = IgnoredStores();
  runOffBegin();
}

void summaryCycle(const CycleView& c) {
  tally.cycles++;
  tally.haltCycle = c.haltCycle;
  if (c.access == storeAccess && c.accessAddress.known() && (c.accessAddress.value & ramAddressBit))
    tally.ramWordsWritten[c.accessAddress.value & ramWordMask] = c.accessData;
  if (c.inHaltLoop()) return;
  tally.programCycles++;
  if (c.slot[stageWB].id >= 0 && (!c.haltDecided || c.slot[stageWB].id <= c.lastProgramWord)) {
    tally.completed++;
    if (c.slot[stageWB].word == 0) tally.nopsCompleted++;
  }
  for (bool held : c.stalled)
    if (held) {
      tally.stallCycles++;
      break;
    }
  if (c.branchTaken && !c.haltDecided) tally.branchesTaken++;
  if (c.hasForwarding) countForwarding(c);
  noteIgnoredStore(c);
  runOffCycle(c);
}

void summaryEnd() {
  printf("\nSummary:\n");
  printRegisters();
  printRamWritten();
  printIgnoredStores();
  printRamContents();
  printCounts();
  printRunOff();
}
