// A counter stepped by hand: switch 'c' is its clock and 'e' its count enable.
//
// Counter counts on the falling edge of its clock while its enable is ONE; with the enable at ZERO
// an edge clears it.  Unlike counter.cpp, whose clock never stops, this circuit rests between key
// presses, so a test table can step it: examples/step_counter.test.
//
//   ./build/examples/step_counter -X --test examples/step_counter.test
#include "Sim.h"

void simnet() {
  Signal clk(1, "clk"), enable(1, "enable"), count(4, "count");
  Switch(SD("aa"), clk, 'c', Zero, "clk");
  Switch(SD("ba"), enable, 'e', Zero, "enable");
  Counter(SD("ab"), (enable, clk), count);  // element 0 the clock, element 1 the enable
  ProbeH(SD("ac"), count, "count");
}
