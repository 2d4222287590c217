// What happens between flattening and the run: one list of steps, in the order they run.
#include <algorithm>
#include <vector>

#include "CircuitHooks.h"
#include "Expect.h"
#include "MemImage.h"
#include "NameIndex.h"
#include "Until.h"
#include "Vcd.h"
#include "Vectors.h"

namespace {

std::vector<void (*)()> optionSteps;  // in the order added

void runOptionSteps() {
  for (void (*step)() : optionSteps) step();
}

// The steps options attach (a circuit's own options, --explain) run first, in the order their options
// were given: that is the order of their error messages and of their run observers, and a circuit's
// step may queue memory images.  Each step below may report "ERROR -- ..." and exit(2), so the first
// faulty step is the one reported; the run observers they install are called in this order too.
void (*const afterElaborationSteps[])() = {
    buildNameIndex,  // every later step asks it for names
    runOptionSteps,
    loadMemoryImages,  // every image is queued by now
    loadStopConditions,  // a circuit that checks them at its own points has said so by now
    loadExpectations,
    loadVectorTests,  // after --until's observer, which may end the run first
    startWaveformDump,
};

}  // namespace

void addAfterElaborationHook(void (*hook)()) { optionSteps.push_back(hook); }

void removeAfterElaborationHook(void (*hook)()) {
  optionSteps.erase(std::remove(optionSteps.begin(), optionSteps.end(), hook), optionSteps.end());
}

void callAfterElaborationHooks() {
  for (void (*step)() : afterElaborationSteps) step();
}

void resetCircuitHooks() { optionSteps.clear(); }
