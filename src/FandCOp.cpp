// Function-key and cursor-key actions: display flags, detail level, restart, exit, slowness, halt.
#include <algorithm>
#include <cstdio>

#include "Globals.h"
#include "Ph2.h"
#include "Ph5.h"
#include "Window.h"

namespace {

void toggle(int& flag) { flag = !flag; }

void setDisplayLevel(int level) {
  phaseFive->currentGraphicDisplayLevel = std::max(1, std::min(level, phaseTwo->maxGraphicDisplayLevel));
  phaseFive->repaint();
}

// The time display shows or goes at once, not only at the next step (none comes while halted).
void toggleTimeDisplay() {
  toggle(displayTimeFlag);
  if (displayTimeFlag)
    phaseFive->drawTime();
  else
    phaseFive->windexPointer->eraseTimeAndQueue();
}

// Halting shows the super probes as the circuit stands, which their pace may not have caught up with.
void toggleHalt() {
  toggle(haltFlag);
  if (haltFlag && phaseFive->superProbeSelect) phaseFive->displaySuperProbes();
}

}  // namespace

void FunctionKeyOperate(int code) {
  PhaseFive& p5 = *phaseFive;
  switch (code) {
    case 1: reStart = 1; break;
    case 2: toggle(p5.interconnectFlag); p5.repaint(); break;
    case 3: toggle(p5.labelGateFlag); p5.repaint(); break;
    case 4: toggle(p5.drawComponentLeadsFlag); p5.repaint(); break;
    case 5: toggle(p5.labelLinesFlag); p5.repaint(); break;
    case 6: toggleTimeDisplay(); break;
    case 7: toggle(connectMuxOnlyFlag); if (p5.interconnectFlag) p5.repaint(); break;
    case 8: toggle(p5.superProbeSelect); p5.repaint(); break;
    case 9: toggle(p5.newWindowingMode); p5.repaint(); break;
    case 10: done = 1; break;
    case 20: case 35: setDisplayLevel(p5.currentGraphicDisplayLevel + 1); break;
    case 21: case 33: setDisplayLevel(phaseTwo->maxGraphicDisplayLevel); break;
    case 24: case 27: setDisplayLevel(1); break;
    case 29: case 37: setDisplayLevel(p5.currentGraphicDisplayLevel - 1); break;
    case 31: p5.repaint(); break;
    default: fprintf(stderr, "Unused Function key F%d\n", code); break;
  }
}

void CursorKeyOperate(int code) {
  switch (code) {
    case 0: if (stallLevel < 1000000) stallLevel++; break;  // waits are capped at level 30 anyway
    case 1: stallLevel = 0; break;
    case 2: if (stallLevel > 0) stallLevel--; break;
    case 3: toggleHalt(); break;
    default: fprintf(stderr, "Unused Cursor key = %d\n", code); break;
  }
}
