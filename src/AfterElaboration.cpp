// What happens between flattening and the run: the name index, the steps the given options attached,
// then every capability's own step (Capability.h gives their order).
#include <algorithm>
#include <vector>

#include "Capability.h"
#include "CircuitHooks.h"
#include "ExitStatus.h"
#include "NameIndex.h"

namespace {

std::vector<void (*)()> optionSteps;  // in the order added

}  // namespace

void addAfterElaborationHook(void (*hook)()) { optionSteps.push_back(hook); }

void removeAfterElaborationHook(void (*hook)()) {
  optionSteps.erase(std::remove(optionSteps.begin(), optionSteps.end(), hook), optionSteps.end());
}

// The steps options attach (a circuit's own options, --explain) run first, in the order their options
// were given: that is the order of their error messages and of their run observers, and a circuit's
// step may queue memory images.  Each step may report "ERROR -- ..." and exit(2), so the first faulty
// step is the one reported; the run observers they install are called in this order too.
void callAfterElaborationHooks() {
  buildNameIndex();  // every later step asks it for names; a faulty wide memory ends the program here
  setPendingVerdict({exitBadInput, reasonBadInput, ""});
  for (void (*step)() : optionSteps) step();
  callCapabilityAfterElaboration();
}

void resetCircuitHooks() { optionSteps.clear(); }
