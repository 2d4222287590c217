// carla: a signal used before it is declared.
#include "Sim.h"

void simnet() {
  Signal a(1, "a"), b(1, "b"), carryIn(1, "cin"), sum(1, "s"), carryOut(1, "cout");
  Switch(SD("aa"), a, 'a', Zero, "a");
  Switch(SD("ba"), b, 'b', Zero, "b");
  Switch(SD("ca"), carryIn, 'c', Zero, "cin");
  Xor(SD("ab"), (a, b, carryIn), sum);
  Or(SD("ac"), (majority, carryIn), carryOut);
}
