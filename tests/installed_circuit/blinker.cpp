// A switch and its inverse, each shown by a probe; key 'b' toggles the switch.
#include "Sim.h"

void simnet() {
  Signal b(1, "b"), notB(1, "notB");
  Switch(SD("aa"), b, 'b', Zero, "B");
  Not(SD("ab"), b, notB);
  Probe(SD("ac"), notB, "notB");
}
