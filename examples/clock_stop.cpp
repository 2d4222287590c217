// A free-running clock divided by a ripple of inverters is watched by a probe; a power-on source
// fires the stop component after a while, which ends the run.
#include "Sim.h"

void simnet() {
  Signal clk(1, "clk"), halt(1, "halt");
  Clock(SD("aa"), clk, 10, 0, 20, Zero);
  Probe(SD("ab"), clk, "clk");
  PowerOn(SD("ba"), halt, 100, Zero);
  Stop(SD("bb"), halt);
}
