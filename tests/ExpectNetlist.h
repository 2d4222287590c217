// The netlist that --expect checks are read against, by the tests of the checks and by their fuzz
// target: a switch through two boxes of inverters, a constant word, a floating bus and an undriven
// bundle, and a top-level bundle named like one inside the boxes; and a register file in a box, for the
// tests of memories by name.
#ifndef TARVIK_TESTS_EXPECTNETLIST_H
#define TARVIK_TESTS_EXPECTNETLIST_H

#include "Sim.h"

// Two inverters in a box "Pair", with the bundle mid between them.
inline void invertingPair(const SD& box, const Signal& in, const Signal& out) {
  Module(box, "Pair", in, out);
  Signal mid(1, "mid");
  Not(SD(box, "aa"), in, mid);
  Not(SD(box, "ab"), mid, out);
}

// A RegisterFile of four 4-bit words in a box "Box", read and written at address.
inline void registerFileIn(const SD& box, const Signal& address) {
  Module(box, "Box", address, address);
  Signal out(4, "out");
  RegisterFile(SD(box, "aa"), (Zero, Zero, address, address), Signal(4, "in"), out, 4, 4, 2, 1, 1);
}

inline void checkedNetlist() {
  Signal a(1, "a"), x(1, "x"), y(1, "y"), word(12, 0xA5Cu, "word"), bus(1, "bus"), idle(3, "idle"), mid(1, "mid");
  Switch(SD("aa"), a, 'a', Zero, "A");
  invertingPair(SD("ab"), a, x);
  invertingPair(SD("ac"), x, y);
  Tsb(SD("ad"), One, Zero, bus);
  Tsb(SD("ae"), Zero, One, (idle[0]));
  Or(SD("af"), y, mid);
}

#endif
