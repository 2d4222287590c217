// Elaborates a netlist in this process without running it, so that tests can drive the run-time
// routines (transitions, queue, initialisation) directly.
#ifndef TARVIK_TESTS_NETLIST_H
#define TARVIK_TESTS_NETLIST_H

#include "Globals.h"
#include "Ph1.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Ph5.h"

// Flattens what has been built so far, checks connectivity, forms activation lists and creates the
// run and display phases (no window), then initialises the run state.
inline void elaborate() {
  useXDisplay = 0;
  ensurePhaseOne();
  phaseTwo = new PhaseTwo;
  phaseTwo->listsToArrays();
  delete phaseOne;
  phaseOne = nullptr;
  phaseThree = new PhaseThree;
  phaseThree->checkConnectivity();
  phaseThree->formActivationLists();
  phaseFour = new PhaseFour;
  phaseFive = new PhaseFive;
  phaseFour->runInitialize();
}

#endif
