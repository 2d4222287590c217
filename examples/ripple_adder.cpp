// A 4-bit ripple-carry adder: four full adders, each carry out the next one's carry in.  Switches give
// a (keys 0-3), b (keys 4-7) and the carry in (key c); sum and cout are the result.  Its table,
// examples/ripple_adder.test, tries every a and b with both carries in; tarvik-faults finds which of
// the circuit's stuck-at faults a table notices (docs/faults.md):
//
//   ./build/examples/ripple_adder --quiet --netlist-out /tmp/ripple.net
//   ./build/tarvik-faults /tmp/ripple.net --test examples/ripple_adder.test
#include "Sim.h"

void simnet() {
  Signal a(4, "a"), b(4, "b"), carryIn(1, "cin"), sum(4, "sum"), carry(4, "carry");
  Signal half(4, "half"), carryA(4, "carryA"), carryB(4, "carryB");
  Switch(SD("aa"), a, '0', Zero, "a");
  Switch(SD("ba"), b, '4', Zero, "b");
  Switch(SD("ca"), carryIn, 'c', Zero, "cin");
  // Bit i adds a[i], b[i] and the carry into it: cin for bit 0, carry[i-1] above.
  Xor(SD("ab"), (a[0], b[0]), half[0]);
  Xor(SD("ac"), (half[0], carryIn), sum[0]);
  And(SD("ad"), (a[0], b[0]), carryA[0]);
  And(SD("ae"), (half[0], carryIn), carryB[0]);
  Or(SD("af"), (carryA[0], carryB[0]), carry[0]);
  Xor(SD("bb"), (a[1], b[1]), half[1]);
  Xor(SD("bc"), (half[1], carry[0]), sum[1]);
  And(SD("bd"), (a[1], b[1]), carryA[1]);
  And(SD("be"), (half[1], carry[0]), carryB[1]);
  Or(SD("bf"), (carryA[1], carryB[1]), carry[1]);
  Xor(SD("cb"), (a[2], b[2]), half[2]);
  Xor(SD("cc"), (half[2], carry[1]), sum[2]);
  And(SD("cd"), (a[2], b[2]), carryA[2]);
  And(SD("ce"), (half[2], carry[1]), carryB[2]);
  Or(SD("cf"), (carryA[2], carryB[2]), carry[2]);
  Xor(SD("db"), (a[3], b[3]), half[3]);
  Xor(SD("dc"), (half[3], carry[2]), sum[3]);
  And(SD("dd"), (a[3], b[3]), carryA[3]);
  And(SD("de"), (half[3], carry[2]), carryB[3]);
  Or(SD("df"), (carryA[3], carryB[3]), carry[3]);
  ProbeH(SD("ag"), sum, "sum");
  Probe(SD("bg"), carry[3], "cout");
}
