// A counter on a free-running clock, held cleared by a reset switch until a timed key press lets it
// count.
//
// The clock never lets the circuit settle, so a plain --keys press would wait for ever; a timed step
// makes it at a tick instead: {@500}r releases the reset at tick 500, and the closing {+200} ends the
// run 200 ticks after that.  The probe shows the switch changing at 507 and 510; IntOut prints the
// count at every rising clock edge.
//
//   ./build/examples/timed_reset -X --keys '{@500}r{+200}'
#include "Sim.h"

void simnet() {
  Signal clk(1, "clk"), run(1, "run"), count(4, "count");
  Clock(SD("aa"), clk, 20, 30, 40, Zero);  // a rising edge every 58 ticks
  Switch(SD("ba"), run, 'r', Zero, "R");   // ZERO clears the counter; 'r' lets it count
  Counter(SD("ab"), (run, clk), count);    // element 0 the clock, element 1 the enable
  IntOut(SD("ac"), (One, clk), count);
  Probe(SD("bb"), run, "run");
}
