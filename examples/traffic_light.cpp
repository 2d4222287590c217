// A traffic light: a two-bit state counter and the gates that decode its states into lamps.
//
// The four states follow each other on every falling clock edge: red, red and yellow, green, yellow.
// With the state bits s1 s0: red is NOT s1, yellow is s0, green is s1 AND NOT s0.  The lamps' probes
// report every change on standard error; between two levels a signal passes through XXX, and the
// gates' own delays show as short glitches where two inputs change at nearly the same time.
//
//   ./build/examples/traffic_light -X
#include "Sim.h"

void simnet() {
  Signal clk(1, "clk"), go(1, "go"), state(2, "state"), halt(1, "halt");
  Signal red(1, "red"), yellow(1, "yellow"), green(1, "green"), notS0(1, "notS0");
  Clock(SD("aa"), clk, 50, 0, 100, Zero);
  PowerOn(SD("ba"), go, 20, Zero);
  Counter(SD("ab"), (go, clk), state);
  Not(SD("ac"), state[1], red);
  Or(SD("bc"), state[0], yellow);               // a one-input OR passes its input on
  Not(SD("cc"), state[0], notS0);
  And(SD("dc"), (state[1], notS0), green);
  Probe(SD("ad"), red, "red");
  Probe(SD("bd"), yellow, "yellow");
  Probe(SD("cd"), green, "green");
  PowerOn(SD("ca"), halt, 700, Zero);
  Stop(SD("cb"), halt);
}
