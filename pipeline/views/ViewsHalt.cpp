// The halt of a program: `halt: bra halt`, a taken branch whose target is its own address.
//
// Read off the cycles: in the cycle the branch is decided in MEM, the words in EX, ID and IF (when it
// fetches) are the ones fetched after it, which run whether it is taken or not (fewer than three
// after a load or store, docs/processor.md); the program has run once the last of them has reached
// WB (WB writes at the rising edge, before the cycle is read).  Only the first such branch counts;
// every cycle after that one belongs to the halt loop.
#include "Views.h"

namespace {

struct HaltState {
  bool decided = false;
  uint64_t haltCycle = 0;
  int64_t branch = bubbleSlot;       // the halt branch's slot id
  int64_t lastWord = bubbleSlot;     // the last word fetched after it, when decided
};

HaltState halt;

bool isHaltBranch(const CycleView& c) {
  const StageSlot& mem = c.slot[stageMEM];
  return c.branchTaken && c.branchTarget.known() && mem.id >= 0 && c.branchTarget.value == mem.address;
}

void decide(const CycleView& c) {
  halt.decided = true;
  halt.branch = halt.lastWord = c.slot[stageMEM].id;
  for (int stage = stageIF; stage < stageMEM; stage++)
    if (c.slot[stage].id > halt.lastWord && (stage != stageIF || c.fetching)) halt.lastWord = c.slot[stage].id;
}

bool wordsAfterBranchBeforeWB(const CycleView& c) {
  for (int stage = stageIF; stage < stageWB; stage++)
    if (c.slot[stage].id > halt.branch && c.slot[stage].id <= halt.lastWord) return true;
  return false;
}

}  // namespace

void haltBegin() { halt = HaltState(); }

void followHalt(CycleView& c) {
  if (!halt.decided && isHaltBranch(c))
    decide(c);
  else if (halt.decided && !halt.haltCycle && !wordsAfterBranchBeforeWB(c))
    halt.haltCycle = c.cycle;
  c.haltDecided = halt.decided;
  c.haltCycle = halt.haltCycle;
  c.lastProgramWord = halt.lastWord;
}
