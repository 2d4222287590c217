// Run-time signal arrays, the connectivity check and the activation lists.
#ifndef TARVIK_PH3_H
#define TARVIK_PH3_H

#include <cstdint>
#include <vector>

#include "Signal.h"

class PhaseThree {
public:
  // Per signal, by serial number.
  std::vector<SignalValue> currentSignals;
  std::vector<int> signalChangeMarks;  // allocated, not used
  std::vector<int> lengthOfActivationList;
  std::vector<int*> activationList;  // components to evaluate when the signal changes, index order
  // The scheduling record of the transition rules, per signal.
  std::vector<SignalValue> scheduledSignals;  // value of the last change queued
  std::vector<uint64_t> scheduledTimes;       // when that change takes effect
  std::vector<uint64_t> whenScheduled;        // when that change was queued

  int inputDanglingWarnings = 0;

  PhaseThree();
  void checkConnectivity();
  void formActivationLists();

private:
  std::vector<int> activationStore;  // all activation lists, one after another
};

#endif
