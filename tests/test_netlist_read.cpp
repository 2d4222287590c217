// Netlist files: every kind of bad input refused with its file and line before anything is
// registered, the text read back written again byte for byte, and a circuit's own component refused
// by --netlist-out.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "NetlistFile.h"
#include "BoxTools.h"
#include "Ph1.h"
#include "Sim.h"

namespace {

const std::string good =
    "tarvik-netlist 1\n"
    "signals 5\n"
    "signal 0 ZERO 1 \"Zero[0]\"\n"
    "signal 1 ONE 1 \"One[0]\"\n"
    "signal 2 UNINITIALIZED 0 \"clk[0]\"\n"
    "signal 3 UNINITIALIZED 0 \"q \\\"x\\\" \\x7f[0]\"\n"
    "signal 4 UNINITIALIZED 0 \"q[1]\"\n"
    "scopes 2\n"
    "scope 0 -1 \"\" \"\"\n"
    "scope 1 0 \"Box\" \"ab\"\n"
    "bundles 3\n"
    "bundle 0 0 \"Zero\" 1 0\n"
    "bundle 1 0 \"One\" 1 1\n"
    "bundle 2 1 \"q\" 2 3 4\n"
    "components 3\n"
    "component 0 Switch level 1 at \"aa\" decal \"1:clk\" icon flags 0 1 data 0 control 0 out 1 2 int 1 0 "
    "bytes 0 - storage 0 0 0 scope 0\n"
    "component 1 Module level 1 at \"ab\" decal \"Box\" icon flags 1 0 data 1 2 control 0 out 2 3 4 int 0 "
    "bytes 0 - storage 0 0 0 scope 0\n"
    "component 2 Rom level 2 at \"ab.aa\" decal \"Rom\" noicon flags 0 0 data 1 2 control 0 out 2 3 4 int 3 2 2 1 "
    "bytes 2 0a03 storage 0 0 0 scope 1\n"
    "keys 1\n"
    "key 0 2 \"1\"\n"
    "memories 1\n"
    "memory 2 1\n"
    "widememories 1\n"
    "widememory \"Both\" 1 \"Rom\"\n"
    "aliases 1\n"
    "alias \"Q\" \"q\"\n"
    "addresses 1\n"
    "addresses \"Rom\" 4096\n"
    "tools 1\n"
    "tool \"box\" \"1\"\n"
    "loads 2\n"
    "load 0 \"Rom\" option \"r.hex\" 2 0\n"
    "word 0 a 1 1\n"
    "word 1 ffffffffffffffff 2 3\n"
    "load 1 \"Both\" tools \"i.hex\" 0 1\n"
    "byte 3 ff 1\n"
    "end\n";

// Tools the good text names: they take the argument "1" only.

std::string readProblem(const std::string& text) {
  Netlist n;
  std::string problem;
  return readNetlist(text, "c.net", n, problem) ? "" : problem;
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

TEST(NetlistRead, WrittenAgainIsTheSameText) {
  Netlist n;
  std::string problem;
  ASSERT_TRUE(readNetlist(good, "c.net", n, problem)) << problem;
  EXPECT_EQ(netlistText(n), good);
}

struct BadCase {
  const char* from;
  const char* to;
  const char* problem;
};

const BadCase badCases[] = {
    {"tarvik-netlist 1", "tarvik-netlist 2", "c.net:1: version 2 is newer than this program reads (1)"},
    {"tarvik-netlist 1", "tarvik-net 1", "c.net:1: \"tarvik-netlist\" expected, found \"tarvik-net\""},
    {"Switch level", "Swotch level", "c.net:16: unknown component kind \"Swotch\""},
    {"out 1 2 int 1 0", "out 2 2 2 int 1 0", "c.net:16: 2 outputs for a Switch, which takes 1"},
    {"int 1 0 bytes", "int 2 0 0 bytes", "c.net:16: 2 integer parameters for a Switch, which takes 1"},
    {"data 1 2 control 0 out 2 3 4 int 3", "data 1 5 control 0 out 2 3 4 int 3",
     "c.net:18: a signal serial 5 out of range 0..4"},
    {"\"q\" 2 3 4", "\"q\" 3 3 4", "c.net:14: a signal serial expected, found the line's end"},
    {"icon flags 1 0", "icon flags 0 0", "c.net:17: flags 0 0 disagree with a Module's 1 0"},
    {"bytes 2 0a03", "bytes 2 0a0", "c.net:18: 3 hex digits for 2 bytes"},
    {"alias \"Q\" \"q\"\n", "alias \"Q\" \"q\"\nalias \"Q\" \"p\"\n", "c.net:27: \"addresses\" expected, found \"alias\""},
    {"aliases 1\nalias \"Q\" \"q\"\n", "aliases 2\nalias \"Q\" \"q\"\nalias \"Q\" \"p\"\n",
     "c.net:27: alias \"Q\" is declared twice"},
    {"memory 2 1", "memory 1 1", "c.net:22: component 1 is no memory"},
    {"key 0 2", "key 3 2", "c.net:20: a component 3 out of range 0..2"},
    {"signal 3 ", "signal 4 ", "c.net:6: index 4 where 3 is due"},
    {"signal 1 ONE 1", "signal 1 ZERO 1", "c.net:4: signal 1 must be One[0] ONE 1"},
    {"signals 5", "signals 99999999", "c.net:2: a count 99999999 out of range 0..4194304"},
    {"storage 0 0 0 scope 1", "storage 16777217 0 0 scope 1", "c.net:18: a size 16777217 out of range 0..16777216"},
    {"\"clk[0]\"", "\"clk[0]", "c.net:5: a quoted text that does not end on its line"},
    {"\"clk[0]\"", "\"cl\\k[0]\"", "c.net:5: a backslash that starts no escape (\\\\, \\\" or \\xHH)"},
    {"byte 3 ff 1\nend\n", "byte 3 ff 1\n", "c.net:37: the file ends where a line \"end\" was due"},
    {"end\n", "end\nmore\n", "c.net:38: text after the line \"end\""},
    {"tool \"box\"", "tool \"cage\"", "c.net:30: no circuit tools named \"cage\" in this program"},
    {"tool \"box\" \"1\"", "tool \"box\" \"9\"", "c.net:30: no box 9"},
    {"tools 1\ntool \"box\" \"1\"\n", "tools 0\n", "c.net:34: an image of the circuit's tools, but the file names no tools"},
    {"\"r.hex\" 2 0", "\"r.hex\" 2 1", "c.net:32: an image holds words or bytes, not both"},
    {"option \"r.hex\"", "optional \"r.hex\"", "c.net:32: tools or option expected, found \"optional\""},
    {"word 1 ffffffffffffffff", "word 1 1ffffffffffffffff", "c.net:34: a word in hex expected, found \"1ffffffffffffffff\""},
    {"ffffffffffffffff 2 3", "ffffffffffffffff 2 0", "c.net:34: a repeat count 0 out of range 1..4294967295"},
    {"byte 3 ff", "byte 3 100", "c.net:36: a byte 100 out of range 0..ff"},
    {"scope 1 0 ", "scope 1 1 ", "c.net:10: a parent scope 1 out of range 0..0"},
    {"int 1 0 bytes", "int 1 5 bytes", "c.net:16: initial value serial 5 out of range 0..4"},
    {"int 3 2 2 1 bytes 2 0a03", "int 3 2 2 1 bytes 3 0a0304",
     "c.net:18: pins (data 1, control 0, out 2) or parameters that no Rom has"},
    {"int 3 2 2 1", "int 3 4 2 1", "c.net:18: pins (data 1, control 0, out 2) or parameters that no Rom has"},
};

// A Ram of 2 words of 2 bits, one read and one write port, among the good text's components.
TEST(NetlistRead, MemoryShapesAreTheConstructors) {
  const std::string ram = "component 3 Ram level 1 at \"ac\" decal \"Ram\" icon flags 0 0 data 2 3 4 control 4 2 2 2 2 "
                          "out 2 3 4 int 8 2 2 1 1 1 1 2 0 bytes 0 - storage 2 0 1 scope 0\n";
  std::string text = replaced(replaced(good, "components 3\n", "components 4\n"), "keys 1\n", ram + "keys 1\n");
  EXPECT_EQ(readProblem(text), "");
  EXPECT_EQ(readProblem(replaced(text, "storage 2 0 1 scope 0", "storage 2000 0 1 scope 0")),
            "c.net:19: pins (data 2, control 4, out 2) or parameters that no Ram has");
  EXPECT_EQ(readProblem(replaced(text, "control 4 2 2 2 2", "control 3 2 2 2")),
            "c.net:19: pins (data 2, control 3, out 2) or parameters that no Ram has");
}

TEST(NetlistRead, EveryKindHasItsOwnName) {
  for (size_t k = 0; k < size_t(KindRow::Other); k++) {
    KindRow row = KindRow::Other;
    ASSERT_TRUE(kindRowNamed(componentKindTable[k].netlistName, row)) << k;
    EXPECT_EQ(size_t(row), k);
  }
  KindRow row = KindRow::And;
  EXPECT_FALSE(kindRowNamed("component", row));
}

TEST(NetlistRead, BadInputIsRefusedWithItsLine) {
  for (const BadCase& c : badCases) {
    EXPECT_EQ(readProblem(replaced(good, c.from, c.to)), c.problem) << c.to;
  }
  EXPECT_EQ(readProblem(replaced(good, "clk[0]", std::string("cl\0k", 4))), "c.net:5: a NUL byte: a netlist is text");
  EXPECT_EQ(readProblem(good.substr(0, good.find("components"))), "c.net:15: the file ends where a line \"components\" was due");
}

void ownComponent(int) {}

void circuitWithOwnComponent() {
  Signal a(1, "a");
  Not(SD("aa"), a, Signal(1, "b"));
  addStandardComponent(ownComponent, nullptr, "Mine", SD("ab", "Mine"), a, Signal(0u, "UnNamed"), Signal(0u, "UnNamed"));
}

TEST(NetlistWrite, RefusesACircuitsOwnComponent) {
  ScratchFolder folder;
  RunResult r = runCircuit(circuitWithOwnComponent, {"--quiet", "--netlist-out", folder / "c.net"});
  EXPECT_EQ(r.err,
            "ERROR -- --netlist-out: component 1 (\"Mine\" at \"ab\") has routines of its circuit's own: a netlist "
            "file cannot hold it\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(folder.read("c.net"), "");
}

}  // namespace
