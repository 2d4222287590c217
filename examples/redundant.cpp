// A circuit with a redundant gate: out = (a AND b) OR (a AND b AND c) is just a AND b, so the second
// term never changes the output.  No table can notice abc held at 0, nor c held at either value:
// tarvik-faults reports these three faults as undetected, whatever the table.
//
//   ./build/examples/redundant --quiet --netlist-out /tmp/redundant.net
//   ./build/tarvik-faults /tmp/redundant.net --test examples/redundant.test
#include "Sim.h"

void simnet() {
  Signal a(1, "a"), b(1, "b"), c(1, "c"), ab(1, "ab"), abc(1, "abc"), out(1, "out");
  Switch(SD("aa"), a, 'a', Zero, "a");
  Switch(SD("ba"), b, 'b', Zero, "b");
  Switch(SD("ca"), c, 'c', Zero, "c");
  And(SD("ab"), (a, b), ab);
  And(SD("bb"), (ab, c), abc);
  Or(SD("ac"), (ab, abc), out);
  Probe(SD("ad"), out, "out");
}
