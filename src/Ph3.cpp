// Elaboration checks: warnings for inputs nothing drives, and for every signal the list of components
// to evaluate when it changes.
#include "Ph3.h"

#include <cstdio>

#include "Globals.h"
#include "NetlistCounts.h"
#include "Ph2.h"


PhaseThree::PhaseThree() {
  size_t ns = size_t(phaseTwo->numberOfSignals);
  // Given defined contents although the run initialisation sets them: nothing may read garbage.
  currentSignals.assign(ns, UNINITIALIZED);
  signalChangeMarks.assign(ns, 0);
  lengthOfActivationList.assign(ns, 0);
  activationList.assign(ns, nullptr);
  scheduledSignals.assign(ns, UNINITIALIZED);
  scheduledTimes.assign(ns, 0);
  whenScheduled.assign(ns, 0);
}

void PhaseThree::checkConnectivity() {
  const PhaseTwo& p = *phaseTwo;
  std::vector<int> drivenSignal(p.constSignals);
  for (int c = 0; c < p.numberOfComponents; c++)
    for (int k = 0; k < p.numberOfOutputs[c]; k++) {
      int s = p.outputs[c][k];
      if (p.outputOverloadable[c])
        drivenSignal[s]++;
      else if (drivenSignal[s] == 0)
        drivenSignal[s] = 1;
    }
  for (int c = 0; c < p.numberOfComponents; c++) {
    const char* decal = p.decal[c].c_str();
    const char* pos = p.rcpos[c].c_str();
    for (int k = 0; k < p.numberOfDataInputs[c]; k++) {
      int s = p.dataInputs[c][k];
      if (s > 1 && drivenSignal[s] == 0 && !p.constSignals[s]) {
        fprintf(stderr, "Warning -- signal[%d] %s has no driver, cmp = %d %s at %s has unconnected DATA input, position = %d\n",
                s, p.signalNames[s].c_str(), c, decal, pos, k);
        inputDanglingWarnings++;
      }
    }
    for (int k = 0; k < p.numberOfControlInputs[c]; k++) {
      int s = p.controlInputs[c][k];
      if (s > 1 && drivenSignal[s] == 0) {
        fprintf(stderr, "Warning -- signal[%d] has no driver, cmp = %d %s at %s has unconnected CONTROL input, position = %d\n",
                s, c, decal, pos, k);
        inputDanglingWarnings++;
      }
    }
  }
  if (inputDanglingWarnings) fprintf(stderr, unconnectedInputCountFormat, inputDanglingWarnings);
}

// One pass over all components collects, for every signal, the components that read it (or, for
// self-activating sources, drive it), each at most once and in index order.  This gives the same
// lists as walking all components once per signal.
void PhaseThree::formActivationLists() {
  const PhaseTwo& p = *phaseTwo;
  int ns = p.numberOfSignals;
  std::vector<int> lastJoined(size_t(ns), -1);  // last component entered in each signal's list
  auto visit = [&](auto&& onJoin) {
    std::fill(lastJoined.begin(), lastJoined.end(), -1);
    for (int c = 0; c < p.numberOfComponents; c++) {
      auto join = [&](int s) {
        if (lastJoined[s] == c) return;
        lastJoined[s] = c;
        onJoin(s, c);
      };
      for (int k = 0; k < p.numberOfDataInputs[c]; k++) join(p.dataInputs[c][k]);
      for (int k = 0; k < p.numberOfControlInputs[c]; k++) join(p.controlInputs[c][k]);
      if (p.selfActivating[c])
        for (int k = 0; k < p.numberOfOutputs[c]; k++) join(p.outputs[c][k]);
    }
  };
  std::fill(lengthOfActivationList.begin(), lengthOfActivationList.end(), 0);
  visit([&](int s, int) { lengthOfActivationList[s]++; });

  size_t total = 0;
  for (int s = 0; s < ns; s++) total += size_t(lengthOfActivationList[s]);
  activationStore.assign(total, 0);
  std::vector<int> filled(size_t(ns), 0);
  size_t at = 0;
  for (int s = 0; s < ns; s++) {
    activationList[s] = lengthOfActivationList[s] ? activationStore.data() + at : nullptr;
    at += size_t(lengthOfActivationList[s]);
  }
  visit([&](int s, int c) {
    if (filled[s] < lengthOfActivationList[s]) activationList[s][filled[s]] = c;
    filled[s]++;
  });
  for (int s = 0; s < ns; s++)
    if (filled[s] != lengthOfActivationList[s])
      fprintf(stderr, "ActivationList -- Error %d %d\n", lengthOfActivationList[s], filled[s]);
}
