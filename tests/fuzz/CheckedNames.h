// The netlist the fuzz targets of --expect and --until read names against, and the widths of the names
// in it that pick one bundle or memory word, as the targets judge them independently of the reader.
#ifndef TARVIK_FUZZ_CHECKEDNAMES_H
#define TARVIK_FUZZ_CHECKEDNAMES_H

#include <string>

#include "ExpectNetlist.h"
#include "Netlist.h"
#include "Sim.h"

// The tests' netlist of checked bundles, with a Rom of 12-bit words and two byte Rams joined as Wide.
inline void buildCheckedNames() {
  static const unsigned char rom[8] = {0x0A, 0xBC, 0x01, 0x23, 0, 0, 0, 0};
  checkedNetlist();
  Signal address(2, "address"), romOut(12, "romOut"), high(8, "high"), low(8, "low"), in(8, 0u, "in");
  Switch(SD("b0"), address, 'b', Zero, "B");
  Rom(SD("ba"), address, romOut, 4, 12, rom);
  Ram(SD("bb"), (Zero, Zero, address, address), in, high, 4, 8, 2, 1, 1);
  Ram(SD("bc"), (Zero, Zero, address, address), in, low, 4, 8, 2, 1, 1);
  WideMemory("Wide", {"Ram", "Ram_1"});
}

// The width of a name that picks one bundle or memory word; -1: a word past the memory's end; 0: a name
// not judged here.
inline int widthOfCheckedName(const std::string& name) {
  static const struct {
    const char* name;
    int width;
  } known[] = {
      {"a", 1}, {"word", 12}, {"top.word", 12}, {"idle", 3}, {"Rom[0]", 12}, {"Rom[0x3]", 12}, {"Wide[2]", 16},
      {"Rom[4]", -1},
  };
  for (const auto& k : known)
    if (name == k.name) return k.width;
  return 0;
}

#endif
