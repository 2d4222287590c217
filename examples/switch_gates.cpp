// Two keyboard switches drive an AND and an XOR gate; probes show inputs and outputs.
// Press 'a' and 'b' to toggle the switches (headless: --keys ab).
#include "Sim.h"

void simnet() {
  Signal a(1, "a"), b(1, "b"), both(1, "both"), differ(1, "differ");
  Switch(SD("aa"), a, 'a', Zero, "A");
  Switch(SD("ba"), b, 'b', Zero, "B");
  And(SD("ab"), (a, b), both);
  Xor(SD("bb"), (a, b), differ);
  Probe(SD("ac"), both, "a&b");
  Probe(SD("bc"), differ, "a^b");
}
