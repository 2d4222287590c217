// The processor's stops: --until checked once a cycle, --until halt and the run of a --program to its
// halt (halt: bra halt, once the words after the branch are in WB), the cap of a run that does not
// stop, the summary that leaves the halt loop out, and the names a student types (r1, pc, n, z,
// Stall_IF, RAM[0x48], negative values) for --expect and --until alike.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Harness.h"
#include "XServer.h"

namespace {

const std::string processor = std::string(TARVIK_PIPELINE_DIR) + "/5a-LD-hazard";

// r3 = 3 - 5 = -2, stored at 0x48 right before the halt: only two words follow the branch.  Word 10
// (the second after it) is in WB in cycle 16.
const char* const negative =
    "setlo r1, 5\nsetlo r2, 3\nsetlo r4, 0x48\nnop\nsub r3, r2, r1\nnop\nnop\nst r3, [r4 + 0]\nhalt: bra halt\n";

RunResult runSource(const std::string& source, const std::vector<std::string>& more) {
  TextFile program(source, "program.s");
  std::vector<std::string> args = {"-X", "--quiet", "--program", program.path};
  args.insert(args.end(), more.begin(), more.end());
  return runProgram(processor, args);
}

std::vector<std::string> untilLines(const RunResult& r) {
  std::vector<std::string> lines = linesStartingWith(r.err, "--until");
  for (const std::string& l : linesStartingWith(r.err, "--program")) lines.push_back(l);
  return lines;
}

const unsigned long zeroColour = 0xf0fff0;

// The summary's lines from "Cycles run" on.
std::string counts(const RunResult& r) {
  size_t at = r.out.find("Cycles run:");
  return at == std::string::npos ? "" : r.out.substr(at);
}

}  // namespace

// Each run says on one line what ended it.
TEST(ProcessorStops, OneLineSaysWhatEndedTheRun) {
  struct Case {
    std::vector<std::string> options;
    const char* says;
  } cases[] = {
      {{"--until", "halt"}, "--until halt held at tick 5072 (cycle 16)"},
      {{"--until", "r2=3", "--until", "halt"}, "--until r2=3 held at tick 1668 (cycle 6)"},
      {{"--until", "r3!=0", "--cycles", "40"}, "--until r3!=0 held at tick 3121 (cycle 9)"},
      {{"--until", "r3=-2", "--until", "r1=5"}, "--until r1=5 held at tick 1352 (cycle 5)"},
      {{"--until", "RAM[0x48]=-2"}, "--until RAM[0x48]=-2 held at tick 3753 (cycle 11)"},
      {{"--until", "r3=7", "--cycles", "30"}, "--until: no condition held; the run ended at tick 8797 (cycle 30)"},
      {{"--until", "r3=7", "-T", "5000"}, "--until: no condition held; the run ended at tick 5005 (cycle 15)"},
  };
  for (const Case& c : cases) {
    RunResult r = runSource(negative, c.options);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(untilLines(r), std::vector<std::string>{c.says}) << r.err;
  }
  RunResult fixed = runSource(negative, {"--cycles", "40"});
  EXPECT_EQ(untilLines(fixed).size(), 0u) << "--cycles alone says nothing";
}

// The note that the program halted is left out of a quiet run, with the netlist's counts.
TEST(ProcessorStops, OnlyALoudRunSaysThatTheProgramHalted) {
  TextFile program(negative, "program.s");
  RunResult loud = runProgram(processor, {"-X", "--program", program.path});
  EXPECT_EQ(loud.status, 0);
  EXPECT_EQ(untilLines(loud), std::vector<std::string>{"--program: the program halted at tick 5072 (cycle 16)"});
  EXPECT_EQ(linesStartingWith(loud.err, "There are").size(), 2u);
  RunResult quiet = runSource(negative, {});
  EXPECT_EQ(quiet.status, 0);
  EXPECT_EQ(quiet.err, "");
}

// A loop that is no branch to itself never halts: the run ends at its cap.
TEST(ProcessorStops, AProgramThatDoesNotHaltEndsAtTheCap) {
  RunResult r = runSource("again: nop\nbra again\n", {"--summary"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(untilLines(r), std::vector<std::string>{
                               "--program: the program did not halt within 100000 cycles, where the run ends "
                               "without --cycles"});
  EXPECT_NE(r.out.find("Cycles run:             100000\n"), std::string::npos);
}

// The halt loop after the program's last cycle counts in the cycles run only.
TEST(ProcessorStops, TheSummaryLeavesTheHaltLoopOut) {
  const std::string rest = "Instructions completed: 11\n"  // words 0..8 and the two after the branch
                           "Stall cycles:           1\n"
                           "Branches taken:         0\n"
                           "Cycles per instruction: 1.45\n"
                           "  without nops:         2.67 (5 nops left out)\n"  // the loop's nops not among them
                           "Halted in cycle:        16 (halt: bra halt; the loop after it is not counted above)\n";
  EXPECT_EQ(counts(runSource(negative, {"--summary"})), "Cycles run:             16\n" + rest);
  EXPECT_EQ(counts(runSource(negative, {"--summary", "--cycles", "60"})), "Cycles run:             60\n" + rest);
}

TEST(ProcessorStops, StudentsNamesAndNegativeValuesAreRead) {
  TextFile held("r1 5\nr3 -2\nReg3 0xfffe\nr3[15] 1\npc 11\nn 0\nz 0\nN 0\nStall_IF 0\nStall_MEM 0\n"
                "RAM[0x48] -2\nRAM[72] -2\nRAM[8] 0xfffe\n");
  RunResult r = runSource(negative, {"--expect", held.path});
  EXPECT_EQ(r.status, 0) << r.err;
  TextFile missed("r3 -3\nRAM[0x48] -1\nRAM[0x7f] 1\nr4[6] 0\n");
  EXPECT_EQ(linesStartingWith(runSource(negative, {"--expect", missed.path}).err, "MISMATCH"),
            (std::vector<std::string>{"MISMATCH -- Reg3: expected -3, actual -2",
                                      "MISMATCH -- RAM[8]: expected -1, actual -2",
                                      "MISMATCH -- RAM[63]: expected 1, actual UUUUUUUUUUUUUUUU",
                                      "MISMATCH -- Reg4[6]: expected 0, actual 1"}));
}

TEST(ProcessorStops, FaultyNamesAndValuesAreRefusedBeforeTheRun) {
  struct Case {
    const char* condition;
    const char* says;
  } cases[] = {
      {"r1=-32769", "ERROR -- --until r1=-32769: value -32769 does not fit the 16 bits of r1 (the least is -32768)"},
      {"RAM[0x80]=1", "ERROR -- --until RAM[0x80]=1: address 128 is not in RAM: give a word 0..63 or an address "
                      "0x40..0x7f"},
      {"r8=1", "ERROR -- --until r8=1: no signal bundle is named r8"},
      {"halts", "ERROR -- --until halts: needs NAME=VALUE, NAME!=VALUE or halt"},
  };
  for (const Case& c : cases) {
    RunResult r = runProgram(processor, {"-X", "--until", c.condition});
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(linesStartingWith(r.err, "ERROR"), std::vector<std::string>{c.says});
    EXPECT_EQ(r.err.find("Time = "), std::string::npos) << "the run must not start";
  }
}

TEST(ProcessorStops, HelpTellsOfTheHalt) {
  RunResult r = runProgram(processor, {"--help"});
  EXPECT_NE(r.out.find("  --until <cond>"), std::string::npos);
  EXPECT_NE(r.out.find("to itself (halt: bra halt)"), std::string::npos);
}

// In the window the run halts where the condition holds; the cycles do not go on to the cap.
TEST(ProcessorStops, TheWindowHaltsWhereTheConditionHolds) {
  XvfbServer server;
  ASSERT_TRUE(server.ready());
  TextFile program(negative, "program.s");
  DriveResult r = driveBeside(
      server, [&] { return runProgram(processor, {"--program", program.path, "--until", "r2=3", "--summary"}); },
      [](WindowDriver& d) { d.note("panes", std::to_string(d.settledCount(0, 0, 1025, 825, zeroColour, 1000))); });
  EXPECT_EQ(r.program.status, 0) << r.program.err;
  EXPECT_EQ(untilLines(r.program), std::vector<std::string>{"--until r2=3 held at tick 1668 (cycle 6)"});
  EXPECT_EQ(counts(r.program).rfind("Cycles run:             6\n", 0), 0u) << r.program.out;
}
