// A tri-state bus with two drivers, and what happens when both drive it.
//
// Tsb passes its input to its output while its control is ONE and lets go (HIZ) otherwise.  Driver A
// puts ONE on the bus, driver B puts ZERO; switch 'a' enables A and 'b' enables B.  The bus belongs
// to the driver that took it from HIZ: while A holds it, B's request is refused and reported on
// standard output ("Another Tsb at ... is trying to drive it to ZERO, this is not allowed").  Once A
// lets go the bus floats (HIZ); B, already enabled, takes it only when it asks again, here by
// switching it off and on.
//
//   ./build/examples/tristate_bus -X --keys ababb
#include "Sim.h"

void simnet() {
  Signal enableA(1, "enableA"), enableB(1, "enableB"), bus(1, "bus");
  Switch(SD("aa"), enableA, 'a', Zero, "A");
  Switch(SD("ba"), enableB, 'b', Zero, "B");
  Tsb(SD("ab"), One, enableA, bus);
  Tsb(SD("bb"), Zero, enableB, bus);
  Probe(SD("ac"), bus, "bus");
}
