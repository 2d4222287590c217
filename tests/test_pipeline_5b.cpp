// 5b-forwarding against 5a-LD-hazard: the registers a program leaves, worked out by hand from the rules
// of each (5a: a register is seen 3 words after its writer, docs/processor.md; 5b: every word sees what
// a sequential reading gives), the forwarding of each operand, the words that never write, the taken
// branch kept while the load interlock holds IF, and the marks the views print for forwarding.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "Harness.h"

namespace {

const std::string cpu5a = "5a-LD-hazard", cpu5b = "5b-forwarding";

// Runs the program to its halt, with the options given; with expected, --expect checks the registers
// (and RAM words) it gives, "Reg2 7".
RunResult runOn(const std::string& cpu, const std::string& source, std::vector<std::string> options,
                const std::string& expected = "") {
  ScratchFolder folder;
  std::vector<std::string> args = {"-X", "--quiet", "--program", folder.write("p.s", source)};
  if (!expected.empty()) options.insert(options.end(), {"--expect", folder.write("p.expect", expected)});
  args.insert(args.end(), options.begin(), options.end());
  return runProgram(std::string(TARVIK_PIPELINE_DIR) + "/" + cpu, args, 60);
}

void expectAfterHalt(const std::string& cpu, const std::string& source, const std::string& expected) {
  RunResult r = runOn(cpu, source, {}, expected);
  EXPECT_EQ(r.status, 0) << cpu << ":\n" << source << r.err;
}

// A short program run to its halt on 5b-forwarding, with what it must leave.
struct ProgramCase {
  const char* what;
  const char* program;
  const char* expected;
};

void expectEachAfterHalt(const std::vector<ProgramCase>& cases, const std::string& after) {
  for (const ProgramCase& c : cases) {
    SCOPED_TRACE(c.what);
    expectAfterHalt(cpu5b, c.program + after, c.expected);
  }
}

const char* const halt = "halt:   bra   halt\n        nop\n        nop\n        nop\n";

// r1 read 1, 2 and 3 words after its write, r5 right after its load and 2 and 3 words later.
const std::string readsAfterWrites = std::string(R"(
        setlo r6, 40
        nop
        nop
        setlo r1, 7
        add   r2, r1, r0
        add   r3, r1, r0
        add   r4, r1, r0
        ld    r5, [r6 + 0]
        add   r6, r5, r0
        add   r7, r5, r0
        add   r1, r5, r0
)") + halt + "        .org  40\n        .word 0x1234\n";

TEST(Forwarding, ReadersSeeTheValuesEachProcessorPromises) {
  struct Case {
    const std::string& cpu;
    const char* registers;
  } cases[] = {
      // 5a: the two words after a write read the old value; after the load's stall, so do two more.
      {cpu5a, "Reg2 0\nReg3 0\nReg4 7\nReg5 0x1234\nReg6 0\nReg7 0\nReg1 0x1234\n"},
      {cpu5b, "Reg2 7\nReg3 7\nReg4 7\nReg5 0x1234\nReg6 0x1234\nReg7 0x1234\nReg1 0x1234\n"},
  };
  for (const Case& c : cases) expectAfterHalt(c.cpu, readsAfterWrites, c.registers);
}

TEST(Forwarding, EachOperandTakesTheValueJustComputed) {
  expectEachAfterHalt(
      {
          {"a store's data from MEM (D to SMDR), its base from WB (A)",
           "setlo r1, 0x40\nsetlo r2, 0x55\nst r2, [r1 + 0]\n", "RAM[0] 0x0055\n"},
          {"setlo keeps the high byte sethi just set (D)", "sethi r3, 0x12\nsetlo r3, 0x34\n", "Reg3 0x1234\n"},
          {"a load's base register just computed (A)", "setlo r4, 20\nld r5, [r4 + 0]\n", "Reg5 0xBEEF\n"},
          {"a second register operand just computed (B)", "setlo r6, 3\nadd r7, r0, r6\n", "Reg7 3\n"},
      },
      std::string(halt) + ".org 20\n.word 0xBEEF\n");
}

// Words whose rd field names a register they do not write: nothing is forwarded from them.
TEST(Forwarding, NothingComesFromWordsThatWriteNoRegister) {
  expectEachAfterHalt(
      {
          {"r0 as rd", "setlo r1, 5\nnop\nnop\nadd r0, r1, 1\nadd r2, r0, r0\n", "Reg2 0\n"},
          {"a store, whose rd is its data", "setlo r1, 5\nsetlo r3, 0x40\nnop\nnop\nst r1, [r3 + 0]\nadd r4, r1, r0\n",
           "Reg4 5\n"},
          {"a branch, whose rd is its condition", "setlo r7, 2\nnop\nnop\nbnv 9\nadd r5, r7, r0\n", "Reg5 2\n"},
      },
      halt);
}

// The branch is in MEM while the interlock holds the load's reader in ID and IF: PC still takes the
// target, so the third word after the branch never runs.
TEST(Forwarding, ATakenBranchIsKeptWhileTheInterlockHoldsIF) {
  std::string program = std::string(R"(
        setlo r6, 20
        nop
        nop
        bra   target
        ld    r1, [r6 + 0]
        add   r3, r1, r0
        setlo r4, 9
target: add   r5, r1, r0
)") + halt + "        .org  20\n        .word 0xBEEF\n";
  expectAfterHalt(cpu5b, program, "Reg1 0xBEEF\nReg3 0xBEEF\nReg4 0\nReg5 0xBEEF\n");
}

// The save file names 5b-forwarding and ends with its own signals; 5a's has none of them.
TEST(ForwardingViews, TheGtkwSaveFileGroupsTheForwardingSignals) {
  const char* const group = "@200\n-Forwarding and interlock\n@22\ntop.fwdA[1:0]\ntop.fwdB[1:0]\ntop.fwdD[1:0]\n"
                            "@28\ntop.loadUse\n";
  for (const std::string& cpu : {cpu5a, cpu5b}) {
    ScratchFolder folder;
    RunResult r = runOn(cpu, "nop\n", {"--cycles", "1", "--vcd", folder / "run.vcd", "--gtkw", folder / "run.gtkw"});
    std::string save = folder.read("run.gtkw");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(save.compare(0, 4 + cpu.size(), "[*] " + cpu), 0) << save;
    bool grouped = save.size() > strlen(group) && save.compare(save.size() - strlen(group), strlen(group), group) == 0;
    EXPECT_EQ(grouped, cpu == cpu5b) << save;
  }
}

// A load, its reader held one cycle in ID (IF held by the interlock, then by the load in MEM) and
// given the loaded value from WB for both its operands; the load's own base comes from MEM.
TEST(ForwardingViews, TraceDiagramAndSummaryMarkForwardsAndTheInterlock) {
  std::string program = std::string("setlo r6, 20\nld r1, [r6 + 0]\nadd r2, r1, r1\n") + halt + ".org 20\n.word 0x0102\n";
  RunResult r = runOn(cpu5b, program, {"--cycles", "8", "--trace", "--diagram", "--summary"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, R"(   cycle     PC IF                      ID                      EX                      MEM                     WB                      N Z
       1      0   0 setlo r6, 0x14          (bubble)                (bubble)                (bubble)                (bubble)            0 0
       2      1   1 ld r1, [r6 + 0]       0 setlo r6, 0x14          (bubble)                (bubble)                (bubble)            0 0
       3      2   2 add r2, r1, r1        1 ld r1, [r6 + 0]       0 setlo r6, 0x14          (bubble)                (bubble)            0 0
       4      3   3*(load-use)            2*add r2, r1, r1        1 ld r1, [r6 + 0]       0 setlo r6, 0x14          (bubble)            0 0  r6<-MEM
       5      3   3*(no fetch)            2 add r2, r1, r1          (bubble)              1 ld r1, [r6 + 0]       0 setlo r6, 0x14      0 0  r6 <- 0x0014  load 0x0102 <- [0x0014]
       6      3   3 bra 3                   (bubble)              2 add r2, r1, r1          (bubble)              1 ld r1, [r6 + 0]     0 0  r1<-WB  r1 <- 0x0102
       7      4   4 nop                   3 bra 3                   (bubble)              2 add r2, r1, r1          (bubble)            0 0
       8      5   5 nop                   4 nop                   3 bra 3                   (bubble)              2 add r2, r1, r1      0 0  r2 <- 0x0204

Pipeline diagram, cycles 1 to 8 (* = held by a stall)

 addr  instruction        1   2   3   4   5   6   7   8
    0  setlo r6, 0x14     IF  ID  EX  MEM WB
    1  ld r1, [r6 + 0]        IF  ID  EX  MEM WB
    2  add r2, r1, r1             IF  ID* ID  EX  MEM WB
    3  bra 3                          IF* IF* IF  ID  EX
    4  nop                                        IF  ID
    5  nop                                            IF
       (load-use bubble)                  EX

Summary:
Registers:
  r0 = 0x0000      0
  r1 = 0x0102    258
  r2 = 0x0204    516
  r3 = 0x0000      0
  r4 = 0x0000      0
  r5 = 0x0000      0
  r6 = 0x0014     20
  r7 = 0x0000      0
  N = 0  Z = 0  PC = 0x0006 (6)
RAM words written: none
Cycles run:             8
Instructions completed: 3
Stall cycles:           2
  memory:               1
  load-use:             1
Forwarded operands:     3 (1 from MEM, 2 from WB)
Branches taken:         0
Cycles per instruction: 2.67
  without nops:         2.67 (0 nops left out)
)");
}

// The load's reader is in ID while the load is in EX and the load before it in MEM: IF is held by both
// causes at once.  The trace shows the memory's (no fetch) with the held ID word starred, and the cycle
// counts once in all and once under each cause.
TEST(ForwardingViews, ACycleHeldByBothCausesCountsUnderEach) {
  std::string program = std::string("ld r3, [r0 + 0]\nld r1, [r0 + 1]\nadd r2, r1, r0\n") + halt;
  RunResult r = runOn(cpu5b, program, {"--cycles", "8", "--trace", "--summary"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("\n       4      3   3*(no fetch)            2*add r2, r1, r0        1 ld r1, [r0 + 1]"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("Stall cycles:           2\n  memory:               2\n  load-use:             1\n"),
            std::string::npos) << r.out;
  EXPECT_NE(r.out.find("  r2 = 0x4841"), std::string::npos) << r.out;
}

}  // namespace
