// The processor's GTKWave save file (--gtkw): its text, the mnemonic filter beside it, GTKWave itself
// loading both with the run's dump, files that cannot be written, and a run that --gtkw leaves as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Gtkw.h"
#include "Harness.h"
#include "Isa.h"
#include "XServer.h"

namespace {

const std::string processor = TARVIK_PIPELINE_DIR "/5a-LD-hazard";

std::string replaced(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

bool have(const char* command) { return system((std::string("command -v ") + command + " >/dev/null").c_str()) == 0; }

const char* const expectedSaveFile = R"([*] 5a-LD-hazard: the processor's waveforms by stage; open with  gtkwave DUMP.vcd THIS.gtkw
[*] The instruction registers are shown through the filter file named on their ^1 lines.
[dumpfile] "DIR/run.vcd"
[size] 1400 900
[pos] -1 -1
[sst_expanded] 0
[signals_width] 150
@200
-Clock and reset
@28
top.clock
top.reset
@200
-IF: PC
@22
top.PC[15:0]
top.PCtmp[15:0]
@200
-IR: ID EX MEM WB
@2022
^1 DIR/run-mnemonics.txt
top.IR_ID[15:0]
^1 DIR/run-mnemonics.txt
top.IR_EX[15:0]
^1 DIR/run-mnemonics.txt
top.IR_MEM[15:0]
^1 DIR/run-mnemonics.txt
top.IR_WB[15:0]
@200
-Registers
@22
top.Reg1[15:0]
top.Reg2[15:0]
top.Reg3[15:0]
top.Reg4[15:0]
top.Reg5[15:0]
top.Reg6[15:0]
top.Reg7[15:0]
@200
-Flags
@28
top.N
top.Z
@200
-Memory bus
@28
top.memory
top.read
@22
top.AddrBus[15:0]
top.DataBus[15:0]
@200
-Stalls and branch
@28
top.stallIF
top.stallID
top.stallEX
top.stallMEM
top.branchDecision
)";

// Relative names are written absolute; without --vcd there is no dump to name, and no save file.
TEST(Gtkw, SaveFileListsTheSignalsByStage) {
  ScratchFolder scratch;
  const std::string& dir = scratch.path;
  ASSERT_EQ(0, chdir(dir.c_str()));
  RunResult r = runProgram(processor, {"-X", "--keys", "0", "--gtkw", "run.gtkw", "--vcd", "run.vcd"});
  ASSERT_EQ(0, r.status) << r.err;
  std::string expected = replaced(expectedSaveFile, "DIR", dir);
  EXPECT_EQ(expected, fileText(dir + "/run.gtkw"));
  ASSERT_EQ(2, runProgram(processor, {"-X", "--keys", "0", "--gtkw", dir + "/alone.gtkw"}).status);
  EXPECT_EQ("", fileText(dir + "/alone.gtkw"));
}

TEST(Gtkw, FilterNameReplacesTheExtension) {
  const char* const cases[][2] = {{"a/run.gtkw", "a/run-mnemonics.txt"}, {"run", "run-mnemonics.txt"},
                                  {"a.d/run", "a.d/run-mnemonics.txt"}, {"a/.gtkw", "a/.gtkw-mnemonics.txt"},
                                  {"x.y.sav", "x.y-mnemonics.txt"}};
  for (const auto& c : cases) EXPECT_EQ(c[1], mnemonicFilterPath(c[0])) << c[0];
}

// Every word in order, as GTKWave prints it in hex, then the disassembler's text.
TEST(Gtkw, FilterMapsEveryWordToItsInstruction) {
  ScratchFolder scratch;
  const std::string& dir = scratch.path;
  ASSERT_EQ(0, runProgram(processor, {"-X", "--keys", "", "--gtkw", dir + "/p.gtkw", "--vcd", dir + "/p.vcd"}).status);
  std::vector<std::string> lines = linesOf(fileText(dir + "/p-mnemonics.txt"));
  ASSERT_EQ(65536u, lines.size());
  const struct {
    uint16_t word;
    const char* hex;
  } words[] = {{0x0000, "0000"}, {0x0AF0, "0AF0"}, {0x4813, "4813"}, {0x8A00, "8A00"},
               {0xC7FF, "C7FF"}, {0xFF00, "FF00"}, {0xFFFF, "FFFF"}};
  for (const auto& w : words) EXPECT_EQ(std::string(w.hex) + " " + disassemble(w.word), lines[w.word]);
}

TEST(Gtkw, FilesThatCannotBeWrittenStopBeforeTheRun) {
  ScratchFolder scratch;
  const std::string& dir = scratch.path;
  const struct {
    std::vector<std::string> args;
    std::string err;
  } cases[] = {
      {{"--gtkw", "/nonexistent/run.gtkw", "--vcd", dir + "/run.vcd"},
       "ERROR -- --gtkw: cannot write /nonexistent/run.gtkw: No such file or directory"},
      {{"--gtkw", dir + "/run.gtkw", "--vcd", dir + "/run-mnemonics.txt"},
       "ERROR -- --gtkw: the save file and its filter " + dir + "/run-mnemonics.txt must not be the --vcd dump"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"-X", "--keys", "011"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    RunResult r = runProgram(processor, args);
    EXPECT_EQ(2, r.status);
    std::vector<std::string> err = linesOf(r.err);
    ASSERT_FALSE(err.empty());
    EXPECT_EQ(c.err, err.back());
    EXPECT_TRUE(linesStartingWith(r.err, "Time = ").empty()) << r.err;
  }
}

TEST(Gtkw, RunIsTheSameWithAndWithoutTheSaveFile) {
  ScratchFolder scratch;
  const std::string& dir = scratch.path;
  std::string keys = "0" + std::string(24, '1');
  RunResult plain = runProgram(processor, {"-X", "--keys", keys, "--vcd", dir + "/a.vcd"});
  RunResult viewed = runProgram(processor, {"-X", "--keys", keys, "--vcd", dir + "/b.vcd", "--gtkw", dir + "/b.gtkw"});
  EXPECT_EQ(plain.status, viewed.status);
  EXPECT_EQ(plain.out, viewed.out);
  EXPECT_EQ(plain.err, viewed.err);
  EXPECT_FALSE(plain.err.empty());
  EXPECT_EQ(fileText(dir + "/a.vcd"), fileText(dir + "/b.vcd"));
}

// GTKWave loads the save file, finds every signal in the dump and shows the instruction registers
// as instructions: after one cycle ID holds the ROM's first word, EX still the reset's 0x0000.
TEST(Gtkw, GtkwaveShowsTheInstructionRegistersAsInstructions) {
  if (!have("gtkwave") || !have("Xvfb")) GTEST_SKIP() << "gtkwave or Xvfb is not installed";
  XvfbServer x;
  ASSERT_TRUE(x.ready());
  ScratchFolder scratch;
  const std::string& dir = scratch.path;
  ASSERT_EQ(0, runProgram(processor, {"-X", "--keys", "011", "--vcd", dir + "/run.vcd", "--gtkw", dir + "/run.gtkw"})
                   .status);
  std::ofstream(dir + "/show.tcl") << "gtkwave::setMarker [gtkwave::getMaxTime]\n"
                                      "for {set i 0} {$i < [gtkwave::getTotalNumTraces]} {incr i} {\n"
                                      "  puts \"T [gtkwave::getTraceNameFromIndex $i]="
                                      "[gtkwave::getTraceValueAtMarkerFromIndex $i]\"\n"
                                      "}\n"
                                      "gtkwave::/File/Quit\n";
  RunResult r = runProgram("/usr/bin/timeout", {"60", "gtkwave", "-S", dir + "/show.tcl", dir + "/run.gtkw"});
  ASSERT_EQ(0, r.status) << r.err;
  std::vector<std::string> traces = linesStartingWith(r.out, "T ");
  ASSERT_EQ(33u, traces.size()) << r.out;
  EXPECT_EQ("T Clock and reset=", traces[0]);
  EXPECT_EQ("T IR_ID[15:0]=" + disassemble(0x0AF0), traces[7]);
  EXPECT_EQ("T IR_EX[15:0]=" + disassemble(0x0000), traces[8]);
  EXPECT_EQ("T branchDecision=0", traces[32]);
}

}  // namespace
