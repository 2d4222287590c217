// Running off the end of the program, for --summary: IF fetching a word the program never gave.
//
// A ROM word is given by the image loaded into the ROM (--program, --load); without one, the built-in
// program's words are those from 0 up to the last non-zero word the ROM holds.  A RAM word is given by
// an image loaded into the RAM or by a store the run made to it (seen on the bus).  Which words the
// images gave is asked of the memory loading, the ROM's words of the ROM itself.
//
// A branch is decided in MEM, and the words fetched behind it before that (three, fewer after a stall)
// run whatever the decision: a program that ends in "halt: bra halt" fetches them without running off.
// So a fetch of a word never given is a suspect until every instruction fetched before it has passed
// MEM: it is let go when one of them was a branch there (the isBranch signal) fetched before it and
// decided in its cycle or later, and ran off otherwise.  A never-written RAM word is fetched as an
// unknown word, which the bookkeeping cannot number; the suspect is kept by its fetch cycle.
#include <cstdio>
#include <utility>
#include <vector>

#include "MemImage.h"
#include "MemLoad.h"
#include "ProcessorNames.h"
#include "Views.h"

namespace {

const size_t fetchesRemembered = 16;  // more than can sit between IF and MEM

struct Fetch {
  uint64_t cycle;
  uint16_t address;
  int64_t before;  // the instruction fetched last before it; -1 for none
};

struct RunOffWatch {
  std::vector<bool> romGiven, ramGiven;
  std::vector<Fetch> suspects;  // in fetch order
  std::vector<std::pair<int64_t, uint64_t>> fetchCycles;  // the latest instructions fetched, with their cycle
  int64_t lastFetched = -1, lastInMem = -1;
  bool ranOff = false;
  Fetch first{};  // the first fetch that ran off
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

void noteFetch(const CycleView& c) {
  if (!c.fetching) return;
  if (c.fetchAddress.known() && !given(c.fetchAddress.value))
    watch.suspects.push_back({c.cycle, c.fetchAddress.value, watch.lastFetched});
  int64_t id = c.slot[stageIF].id;
  if (id < 0) return;
  watch.lastFetched = id;
  if (watch.fetchCycles.size() == fetchesRemembered) watch.fetchCycles.erase(watch.fetchCycles.begin());
  watch.fetchCycles.push_back({id, c.cycle});
}

void noteStore(const CycleView& c) {
  if (c.access != storeAccess || !c.accessAddress.known() || !(c.accessAddress.value & ramAddressBit)) return;
  size_t w = c.accessAddress.value & ramWordMask;
  if (w < watch.ramGiven.size()) watch.ramGiven[w] = true;
}

// A branch in MEM lets go the suspects fetched after it, up to this cycle.
void noteBranch(const CycleView& c) {
  int64_t id = c.slot[stageMEM].id;
  if (id < 0) return;
  watch.lastInMem = id;
  if (!c.branchInMem) return;
  for (const auto& fetch : watch.fetchCycles)
    if (fetch.first == id) {
      std::vector<Fetch> left;
      for (const Fetch& f : watch.suspects)
        if (f.cycle <= fetch.second || f.cycle > c.cycle) left.push_back(f);
      watch.suspects.swap(left);
    }
}

// The suspects every instruction before which has passed MEM ran off.
void judgeSuspects() {
  std::vector<Fetch> waiting;
  for (const Fetch& f : watch.suspects) {
    if (f.before > watch.lastInMem) {
      waiting.push_back(f);
    } else if (!watch.ranOff) {
      watch.ranOff = true;
      watch.first = f;
    }
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
  noteFetch(c);
  noteStore(c);
  noteBranch(c);
  if (!watch.suspects.empty()) judgeSuspects();
}

void printRunOff() {
  if (!watch.ranOff) return;
  const Fetch& f = watch.first;
  bool ram = f.address & ramAddressBit;
  printf("Warning: the program ran off its end: in cycle %llu IF fetched address 0x%04x (%s word %u), which %s\n",
         (unsigned long long)f.cycle, unsigned(f.address), ram ? "RAM" : "ROM", unsigned(f.address & ramWordMask),
         ram ? "no store wrote and no image gave" : "the program does not give");
}
