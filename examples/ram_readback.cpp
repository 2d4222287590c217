// A RAM written and read back from the keyboard.
//
// Ram with four words of four bits, one read port and one write port, both at the address set by
// switches 'a' (bit 1) and 'b' (bit 0); the data to write comes from switches 'c' to 'f' (bit 3 down
// to bit 0).  Pulser 'w' gives the write port one clock pulse; pulser 'p' makes IntOut print the word
// read at the address.  A word never written reads UNINITIALIZED, and IntOut reports that it cannot
// print it.
//
//   ./build/examples/ram_readback -X --keys fwbcewpbpap
//     f w     write 1 at address 0
//     b ce w  write 11 (1011) at address 1
//     p       print 11
//     b p     address 0: print 1
//     a p     address 2, never written: the error report
#include "Sim.h"

void simnet() {
  Signal address(2, "address"), data(4, "data"), write(1, "write"), print(1, "print"), word(4, "word");
  Switch(SD("aa"), address, 'a', Zero, "addr");
  Switch(SD("ba"), data, 'c', Zero, "data");
  Pulser(SD("ca"), write, 'w', 20, Zero);
  Pulser(SD("da"), print, 'p', 20, Zero);
  // Control elements, lowest first: read address, write address, write clock, write enable.
  Ram(SD("ab"), (One, write, address, address), data, word, 4, 4, 2, 1, 1);
  IntOut(SD("ac"), (One, print), word);
}
