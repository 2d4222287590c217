// Painting the super probes: each tab of the present drawing filled in the colour of its signal's
// present value, most recently collected first.
//
// A paint touches only the probes whose value differs from the one they were last painted with, and
// while the circuit runs the run loop's call paints at most every superProbePaceMs: painting every
// probe after every evaluation pass made the X traffic, not the simulation, the cost of a run.  Once
// the queue has run empty the circuit rests, and the paint comes at once, so the picture at rest is
// the same as after a full repaint.
#include <chrono>

#include "Globals.h"
#include "Pane.h"
#include "Ph3.h"
#include "Ph4.h"
#include "Ph5.h"
#include "Window.h"

namespace {

const int64_t superProbePaceMs = 20;

int64_t steadyMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void PhaseFive::displaySuperProbes() {
  if (!windexPointer->usable()) return;
  const std::vector<SignalValue>& values = phaseThree->currentSignals;
  for (SuperProbe* p = superProbeList.start; p; p = p->link) {
    SignalValue v = values[p->signalIndex];
    if (p->painted == int(v)) continue;
    drawPane(p->x, p->y, p->w, p->h, v, true, 0.66f);
    p->painted = int(v);
  }
}

void PhaseFive::paceSuperProbes() {
  bool resting = phaseFour->skewHeap.isEmpty();
  if (!resting && steadyMs() - superProbesPaintedAt < superProbePaceMs) return;
  displaySuperProbes();
  superProbesPaintedAt = steadyMs();
}
