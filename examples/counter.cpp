// A counter on a clock, its count printed on the console.
//
// Counter counts on the falling edge of its clock while its count enable is ONE; a ZERO on the enable
// clears it.  Here a power-on source holds the enable at ZERO for the first ticks (clearing the
// count) and then releases it.  IntOut prints its word in decimal on standard error at every rising
// edge of its own clock, so each line is the count after the previous falling edge.  A second
// power-on source fires the Stop component, which ends the run.
//
//   ./build/examples/counter -X
#include "Sim.h"

void simnet() {
  Signal clk(1, "clk"), enable(1, "enable"), count(4, "count"), halt(1, "halt");
  Clock(SD("aa"), clk, 20, 30, 40, Zero);       // first rise after the clear, then every 58 ticks
  PowerOn(SD("ba"), enable, 30, Zero);          // ZERO (clear), then ONE (count) from tick 39
  Counter(SD("ab"), (enable, clk), count);      // element 0 the clock, element 1 the enable
  IntOut(SD("ac"), (One, clk), count);          // element 0 the clock, element 1 the enable
  PowerOn(SD("bb"), halt, 1100, Zero);
  Stop(SD("bc"), halt);
}
