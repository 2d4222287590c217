// The name index: how a name picks a bundle, a bit or a memory (exact path, with or without "top.",
// else a suffix at a '.' boundary), the problems of names that pick none or several, the printable
// names of bits and the module paths of components, and a second netlist after a reset.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Bundles.h"
#include "ExpectNetlist.h"
#include "NameIndex.h"
#include "Sim.h"
#include "Netlist.h"

namespace {

// The checked netlist (mid at the top and in Pair and Pair_1), and memories: a Rom, two Rams joined as
// Wide, and a RegisterFile in each of the boxes Box and Box_1.
void namedNetlist() {
  static const unsigned char rom[8] = {};
  checkedNetlist();
  Signal address(2, "address"), high(8, "high"), low(8, "low"), in(8, "in");
  Rom(SD("ba"), address, Signal(12, "romOut"), 4, 12, rom);
  Ram(SD("bb"), (Zero, Zero, address, address), in, high, 4, 8, 2, 1, 1);
  Ram(SD("bc"), (Zero, Zero, address, address), in, low, 4, 8, 2, 1, 1);
  registerFileIn(SD("ca"), address);
  registerFileIn(SD("da"), address);
  WideMemory("Wide", {"Ram", "Ram_1"});
}

// What a name picks: the path of the one thing, or the problem.
std::string bundlePicked(const std::string& name) {
  std::string problem;
  int b = bundleNamed(name, problem);
  return b < 0 ? problem : nameIndex().bundlePaths[size_t(b)];
}

std::string memoryPicked(const std::string& name) {
  std::string problem;
  const NamedMemory* m = memoryNamed(name, problem);
  return m ? m->path : problem;
}

// The bits a name picks, by their printable names, or the problem.
std::string bitsPicked(const std::string& name) {
  std::vector<int> bits;
  std::string problem, text;
  if (!bitsNamed(name, bits, problem)) return problem;
  for (int bit : bits) text += (text.empty() ? "" : " ") + fullBitName(bit);
  return text;
}

struct Case {
  const char* name;
  const char* picked;
};

TEST(NameIndex, BundlesArePickedByPathByTopAndBySuffixAtADot) {
  namedNetlist();
  elaborate();
  const Case cases[] = {
      {"mid", "mid"},  // the exact path wins over Pair.mid and Pair_1.mid, which it also ends
      {"top.mid", "mid"},
      {"Pair.mid", "Pair.mid"},
      {"top.Pair_1.mid", "Pair_1.mid"},
      {"Box_1.out", "Box_1.out"},
      {"air.mid", "no signal bundle is named air.mid"},  // a suffix inside a name is no suffix
      {"top", "no signal bundle is named top"},
      {"out", "out names 2 signal bundles (Box.out, Box_1.out); qualify it by module scope"},
      {"nope", "no signal bundle is named nope"},
  };
  for (const Case& c : cases) EXPECT_EQ(bundlePicked(c.name), c.picked) << c.name;
}

TEST(NameIndex, BitsAreNamedByTheirBundleAndPickedAsNameOrNameAtI) {
  namedNetlist();
  elaborate();
  const Case cases[] = {
      {"idle", "idle[0] idle[1] idle[2]"},
      {"word[11]", "word[11]"},
      {"top.Box.out[3]", "Box.out[3]"},
      {"a[0]", "a"},  // a one-bit bundle's bit carries no index
      {"a[1]", "bit 1 is out of range: a has 1 bit"},
      {"word[12]", "bit 12 is out of range: word has 12 bits"},
      {"word[x]", "bit x is out of range: word has 12 bits"},
      {"word[]", "bit  is out of range: word has 12 bits"},
      {"nope[1]", "no signal bundle is named nope"},
      {"out[1]", "out names 2 signal bundles (Box.out, Box_1.out); qualify it by module scope"},
  };
  for (const Case& c : cases) EXPECT_EQ(bitsPicked(c.name), c.picked) << c.name;
  std::vector<int> bits;
  std::string problem;
  ASSERT_TRUE(bitsNamed("Pair_1.mid", bits, problem));
  EXPECT_EQ(shortBitName(bits[0]), "mid");
}

TEST(NameIndex, MemoriesAreNamedByDecalInTheirScopeAndPickedByTheSameRule) {
  namedNetlist();
  elaborate();
  const Case cases[] = {
      {"Rom", "Rom"},
      {"Ram_1", "Ram_1"},
      {"top.Box.RegFile", "Box.RegFile"},
      {"Wide", "Wide"},
      {"RegFile", "RegFile names 2 memories (Box.RegFile, Box_1.RegFile); qualify it by module scope"},
      {"Nope", "no memory is named Nope; the memories are Rom, Ram, Ram_1, Box.RegFile, Box_1.RegFile, Wide"},
  };
  for (const Case& c : cases) EXPECT_EQ(memoryPicked(c.name), c.picked) << c.name;
  std::string problem;
  const NamedMemory* wide = memoryNamed("Wide", problem);
  ASSERT_NE(wide, nullptr);
  ASSERT_EQ(wide->lanes.size(), 2u);
  EXPECT_EQ(memoryPathOf(wide->lanes[0]), "Ram");  // a lane by its own name
  EXPECT_EQ(memoryPathOf(wide->lanes[1]), "Ram_1");
}

TEST(NameIndex, ComponentsAndScopesHaveTheirModulePaths) {
  namedNetlist();
  elaborate();
  std::string problem;
  const NameIndex& names = nameIndex();
  EXPECT_EQ(componentPath(memoryNamed("Box_1.RegFile", problem)->lanes[0]), "Box_1");
  EXPECT_EQ(componentPath(memoryNamed("Rom", problem)->lanes[0]), "");
  const std::vector<ModuleScope>& scopes = moduleScopes();
  ASSERT_EQ(names.scopePaths.size(), scopes.size());
  std::vector<std::string> paths(names.scopePaths.begin() + 1, names.scopePaths.end());
  EXPECT_EQ(paths, (std::vector<std::string>{"Pair", "Pair_1", "Box", "Box_1"}));
  EXPECT_EQ(names.scopeNames[0], "");
}

// Spaces and dots in names would break qualified paths.
void oddNames() {
  Signal spaced(2, "a b"), dotted(1, "c.d"), again(1, "c.d");
  Not(SD("aa"), dotted, again);
  Not(SD("ab"), spaced[0], spaced[1]);
}

TEST(NameIndex, AResetForgetsTheNetlistAndTheNextIsNamedAfresh) {
  namedNetlist();
  elaborate();
  EXPECT_EQ(bundlePicked("Pair.mid"), "Pair.mid");
  delete phaseFive;
  delete phaseFour;
  delete phaseThree;
  delete phaseTwo;
  resetBundles();
  resetNameIndex();
  Signal zero(1, 0u, "Zero"), one(1, 1u, "One");  // serial numbers 0 and 1, as Zero and One expect
  oddNames();
  elaborate();
  EXPECT_EQ(bundlePicked("Pair.mid"), "no signal bundle is named Pair.mid");
  EXPECT_EQ(bundlePicked("c_d_1"), "c_d_1");
  EXPECT_EQ(bitsPicked("a_b"), "a_b[0] a_b[1]");
  EXPECT_EQ(memoryPicked("Rom"), "no memory is named Rom (the circuit has no memory)");
}

}  // namespace
