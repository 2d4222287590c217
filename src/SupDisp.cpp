// Painting the super probes: each tab of the first drawing filled in the colour of its signal's
// present value, most recently collected first.
#include "Globals.h"
#include "Pane.h"
#include "Ph3.h"
#include "Ph5.h"
#include "Window.h"

void PhaseFive::displaySuperProbes() {
  if (!windexPointer->usable()) return;
  const std::vector<SignalValue>& values = phaseThree->currentSignals;
  for (const SuperProbe* p = superProbeList.start; p; p = p->link)
    drawPane(p->x, p->y, p->w, p->h, values[p->signalIndex], true, 0.66f);
}
