// The circuit the students test: a full adder from gates, switches 'a', 'b' and 'c' (the carry in)
// giving the sum s and the carry out cout.
#include "Sim.h"

void simnet() {
  Signal a(1, "a"), b(1, "b"), carryIn(1, "cin"), half(1, "half"), sum(1, "s");
  Signal carryA(1, "carryA"), carryB(1, "carryB"), carryOut(1, "cout");
  Switch(SD("aa"), a, 'a', Zero, "a");
  Switch(SD("ba"), b, 'b', Zero, "b");
  Switch(SD("ca"), carryIn, 'c', Zero, "cin");
  Xor(SD("ab"), (a, b), half);
  Xor(SD("bb"), (half, carryIn), sum);
  And(SD("ac"), (a, b), carryA);
  And(SD("bc"), (half, carryIn), carryB);
  Or(SD("cc"), (carryA, carryB), carryOut);
  Probe(SD("ad"), sum, "s");
  Probe(SD("bd"), carryOut, "cout");
}
