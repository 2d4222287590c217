// The driver: the phases of the simulator in their fixed order.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "CircuitHooks.h"
#include "Expect.h"
#include "Globals.h"
#include "MemImage.h"
#include "NameIndex.h"
#include "Ph1.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Ph5.h"
#include "Vcd.h"
#include "Window.h"
#include "cmdLine.h"

PhaseTwo* phaseTwo = nullptr;
PhaseThree* phaseThree = nullptr;
PhaseFour* phaseFour = nullptr;
PhaseFive* phaseFive = nullptr;

void Sim(int argc, char** argv, void (*build)()) {
  commandLine(argc, argv);
  ensurePhaseOne();
  build();

  phaseTwo = new PhaseTwo;
  phaseTwo->listsToArrays();
  delete phaseOne;  // ends the process when construction reported fatal faults
  phaseOne = nullptr;

  phaseThree = new PhaseThree;
  phaseThree->checkConnectivity();
  phaseThree->formActivationLists();
  buildNameIndex();
  callAfterElaborationHooks();
  phaseFour = new PhaseFour;
  phaseFive = new PhaseFive;
  if (zFlagSet) phaseFive->windexPointer->reviseView(zSetXa, zSetYa, zSetXb, zSetYb);
  if (!earlyExitFlag) phaseFour->run();
  notifyRunEnded();
  fflush(stdout);

  delete phaseFive;
  phaseFive = nullptr;
  delete phaseFour;
  phaseFour = nullptr;
  delete phaseThree;
  phaseThree = nullptr;
  delete phaseTwo;
  phaseTwo = nullptr;
  // Failed end-of-run checks or an incomplete dump must not look like success.
  if (int status = std::max(waveformDumpStatus(), expectationStatus())) exit(status);
}
