// The run phase's state: initialisation of time, queue, signals and components before every run and
// restart.
#include "Ph4.h"

#include <ctime>

#include "Globals.h"
#include "Ph2.h"
#include "Ph3.h"


void PhaseFour::runInitialize() {
  while (!skewHeap.isEmpty()) skewHeap.removeMin();
  time = 0;
  const PhaseTwo& p2 = *phaseTwo;
  PhaseThree& p3 = *phaseThree;
  for (int s = 0; s < p2.numberOfSignals; s++) {
    SignalValue initial = p2.constSignals[s] ? p2.signalInitializations[s] : UNINITIALIZED;
    p3.currentSignals[s] = initial;
    p3.scheduledSignals[s] = initial;
    p3.scheduledTimes[s] = 0;
    p3.whenScheduled[s] = 0;
  }
  for (int c = 0; c < p2.numberOfComponents; c++) phaseTwo->state[c] = 0;
  markAllActivated();
  for (const RunObserver& o : runObservers)
    if (o.initialized) o.initialized();
}

std::vector<RunObserver> runObservers;

void notifyRunEnded() {
  for (const RunObserver& o : runObservers)
    if (o.ended) o.ended();
}

// A pending restart will wake everything again, so the circuit does not count as settled.
int PhaseFour::settled() const { return !reStart && skewHeap.isEmpty() && !anyActivated(); }

void PhaseFour::msWait() {
  struct timespec wait = {0, 1000000};
  nanosleep(&wait, nullptr);
}
