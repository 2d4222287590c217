// Running off the end of the program, for --summary: IF fetching a word the program never gave.
//
// A ROM word is given by the image loaded into the ROM (--program, --load); without one, the built-in
// program's words are those from 0 up to the last non-zero word the ROM holds.  A RAM word is given by
// an image loaded into the RAM or by a store the run made to it (seen on the bus).  Which words the
// images gave is asked of the memory loading, the ROM's words of the ROM itself.
//
// A branch is decided in MEM, and the three words behind it are fetched before that: a program that
// ends in "halt: bra halt" fetches them without running off.  So a fetch of a word never given is only
// a suspect until the three instructions before it have passed MEM: it ran off when none of them was a
// branch there (the isBranch signal), and is let go when one was.  Instructions are numbered in fetch
// order, so that is a comparison of numbers.
#include <cstdio>
#include <vector>

#include "MemImage.h"
#include "MemLoad.h"
#include "ProcessorNames.h"
#include "Views.h"

namespace {

const int64_t wordsBehindABranch = 3;

struct Fetch {
  int64_t id;
  uint64_t cycle;
  uint16_t address;
};

struct RunOffWatch {
  std::vector<bool> romGiven, ramGiven;
  std::vector<Fetch> suspects;  // in fetch order
  int64_t lastInMem = -1, lastBranchInMem = -1;
  uint64_t count = 0;
  Fetch first{};
};

RunOffWatch watch;

bool romWordIsZero(uint32_t w) {
  std::vector<SignalValue> bits;
  std::string problem;
  if (!readMemoryWord(processorNames::rom, w, bits, problem)) return true;
  for (SignalValue b : bits)
    if (b != ZERO) return false;
  return true;
}

// The built-in program: the ROM's words up to its last non-zero one (the nops between included).
std::vector<bool> builtInProgramWords() {
  std::vector<bool> given(ramWordMask + 1, false);
  size_t end = given.size();
  while (end > 0 && romWordIsZero(uint32_t(end - 1))) end--;
  for (size_t w = 0; w < end; w++) given[w] = true;
  return given;
}

bool given(uint16_t address) {
  const std::vector<bool>& words = address & ramAddressBit ? watch.ramGiven : watch.romGiven;
  size_t w = address & ramWordMask;
  return w < words.size() && words[w];
}

void noteStore(const CycleView& c) {
  if (c.access != storeAccess || !c.accessAddress.known() || !(c.accessAddress.value & ramAddressBit)) return;
  size_t w = c.accessAddress.value & ramWordMask;
  if (w < watch.ramGiven.size()) watch.ramGiven[w] = true;
}

void noteMem(const CycleView& c) {
  int64_t id = c.slot[stageMEM].id;
  if (id < 0) return;
  watch.lastInMem = id;
  if (c.branchInMem) watch.lastBranchInMem = id;
}

void ranOff(const Fetch& f) {
  if (watch.count++ == 0) watch.first = f;
}

// Settles the suspects whose three predecessors have been seen in MEM.
void judgeSuspects() {
  std::vector<Fetch> waiting;
  for (const Fetch& f : watch.suspects) {
    bool behindABranch = watch.lastBranchInMem < f.id && watch.lastBranchInMem >= f.id - wordsBehindABranch;
    if (behindABranch) continue;
    if (watch.lastInMem >= f.id - 1)
      ranOff(f);
    else
      waiting.push_back(f);
  }
  watch.suspects.swap(waiting);
}

}  // namespace

void runOffBegin() {
  watch = RunOffWatch();
  if (!wordsGivenByImages(processorNames::rom, watch.romGiven)) watch.romGiven = builtInProgramWords();
  if (!wordsGivenByImages(processorNames::ram, watch.ramGiven)) watch.ramGiven.assign(ramWordMask + 1, false);
}

void runOffCycle(const CycleView& c) {
  const StageSlot& fetched = c.slot[stageIF];
  if (c.fetching && fetched.id >= 0 && !given(fetched.address))
    watch.suspects.push_back({fetched.id, c.cycle, fetched.address});
  noteStore(c);
  noteMem(c);
  if (!watch.suspects.empty()) judgeSuspects();
}

void printRunOff() {
  if (watch.count == 0) return;
  const Fetch& f = watch.first;
  bool ram = f.address & ramAddressBit;
  printf("Warning: the program ran off its end: in cycle %llu IF fetched address 0x%04x (%s word %u), which %s",
         (unsigned long long)f.cycle, unsigned(f.address), ram ? "RAM" : "ROM", unsigned(f.address & ramWordMask),
         ram ? "no store wrote and no image gave" : "the program does not give");
  if (watch.count > 1) printf(" (%llu such fetches in all)", (unsigned long long)watch.count);
  printf("\n");
}
