// The driver: the phases of the simulator in their fixed order.  To understand everything else, start here.
//
//   1. the command line into the option globals (cmdLine.cpp), the capabilities' options among them;
//   2. construction: the circuit's simnet() declares Signals and calls component constructors, which
//      record components, bundles and module scopes in PhaseOne (Ph1.cpp, addStCmp.cpp, Bundles.cpp);
//      then each capability's step after construction, which may end the program there;
//   3. flattening into flat per-component arrays and the table of component kinds (Ph2.cpp, CompKinds.cpp);
//   4. signal arrays and activation lists (Ph3.cpp), the schematic's tiles (ScrnTile.cpp), then the
//      after-elaboration steps in their one order:
//      the name index, the options' steps, each capability's step (AfterElaboration.cpp, Capability.h);
//   5. the run: time, the event queue and the run loop (Ph4.cpp, Ph4Run.cpp), with the window or
//      headless (Ph5.cpp, Window*.cpp);
// then the end-of-run observers, the capabilities' end-of-run steps and the exit status.  At each stage
// the verdict an exit would mean is set (ExitStatus.h), so a caller that asked for one always gets the
// truth, even from a circuit that ends the program itself.
#include <cstdio>
#include <cstdlib>

#include "Capability.h"
#include "CircuitHooks.h"
#include "ExitStatus.h"
#include "Globals.h"
#include "Ph1.h"
#include "Ph2.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Ph5.h"
#include "Window.h"
#include "cmdLine.h"

PhaseTwo* phaseTwo = nullptr;
PhaseThree* phaseThree = nullptr;
PhaseFour* phaseFour = nullptr;
PhaseFive* phaseFive = nullptr;

void Sim(int argc, char** argv, void (*build)()) {
  openVerdictDescriptor();
  commandLine(argc, argv);
  setPendingVerdict({exitFailed, reasonConstructionFailed, ""});
  ensurePhaseOne();
  build();
  callCapabilityAfterConstruction();  // the registration lists are complete; nothing is checked yet

  phaseTwo = new PhaseTwo;
  phaseTwo->listsToArrays();
  delete phaseOne;  // ends the process when construction reported fatal faults
  phaseOne = nullptr;

  phaseThree = new PhaseThree;
  phaseThree->checkConnectivity();
  phaseThree->formActivationLists();
  layOutTiles();
  callCapabilityBeforeSteps();  // a program serving jobs forks each one here
  callAfterElaborationHooks();  // the name index, then every capability's step, in one order
  setPendingVerdict({exitFailed, reasonEndedEarly, ""});
  phaseFour = new PhaseFour;
  phaseFive = new PhaseFive;
  if (zFlagSet) phaseFive->windexPointer->reviseView(zSetXa, zSetYa, zSetXb, zSetYb);
  if (!earlyExitFlag) phaseFour->run();
  notifyRunEnded();
  callCapabilityRunEnded();
  fflush(stdout);

  delete phaseFive;
  phaseFive = nullptr;
  delete phaseFour;
  phaseFour = nullptr;
  delete phaseThree;
  phaseThree = nullptr;
  delete phaseTwo;
  phaseTwo = nullptr;
  // Failed end-of-run checks, failed test steps or an incomplete dump must not look like success.
  Verdict verdict = capabilitiesVerdict();
  setPendingVerdict(verdict);
  if (verdict.status) exit(verdict.status);
}
